// Setup-information reader.
#include "setupinfo/setup_info.h"

#include <stdio.h>

#include "platform/ansi_text.h"
#include "platform/install_selection.h"
#include "platform/platform.h"

namespace {

enum { KEY_LIST_COUNT_SIZE = 1024, KEY_LIST_NAMES_SIZE = 2048 };

// Reads the models section's key names; returns how many bytes of the list
// may be read. A list that does not fit ends in a key cut short, counted like
// the others (the name fetch reads it whole from its larger buffer). Nothing
// past the reported bytes is read: a reader may leave the buffer's last byte
// as it found it, and a list that fits with one byte to spare reports the
// same length as a cut one.
DWORD ReadModelKeys(char *keys, DWORD size)
{
    DWORD length = GetPrivateProfileStringA(ModelsSectionName(), NULL, "", keys, size,
                                            SetupInfoPath());
    return length < size ? length : size - 1;
}

// Length of the key at offset, ending at its terminator or the list's end.
DWORD KeyLengthAt(const char *keys, DWORD offset, DWORD end)
{
    DWORD length = 0;
    while (offset + length < end && keys[offset + length]) ++length;
    return length;
}

// Fills the CopyList from a CopyFiles value: one leading '@' is dropped from
// each field, empty fields are skipped, and a name that no longer fits the
// list's 1024 bytes (with the list's closing empty string) ends the list.
void BuildCopyList(const char *copyFiles)
{
    char *list = g_install.copyList;
    int used = 0;
    LONG count = 0;
    const char *p = copyFiles;
    const char *start;
    int length;
    while (NextCopyFilesField(p, &start, &length)) {
        if (length == 0) continue;
        if (used + length + 1 + 1 > TEXT_BUFFER_SIZE) break;
        CopyMemory(list + used, start, length);
        list[used + length] = '\0';
        used += length + 1;
        ++count;
    }
    list[used] = '\0';
    g_install.fileCount = count;
}

void ReadDriverDirectory()
{
    char *directory = g_install.driverDirectory;
    GetDriverDirectory(directory);
    int length = lstrlenA(directory);
    if (length < TEXT_BUFFER_SIZE - 1) {
        directory[length] = '\\';
        directory[length + 1] = '\0';
    }
}

}  // namespace

BOOL NextCopyFilesField(const char *&text, const char **name, int *length)
{
    if (!*text) return FALSE;
    if (*text == '@') ++text;
    *name = text;
    while (*text && *text != ',') ++text;
    *length = (int)(text - *name);
    if (*text == ',') ++text;
    return TRUE;
}

BOOL NextModelField(const char *&text, char *out, int outSize)
{
    while (*text == ',') ++text;
    if (!*text) return FALSE;
    int length = 0;
    for (; *text && *text != ','; ++text)
        if (length < outSize - 1) out[length++] = *text;
    out[length] = '\0';
    return TRUE;
}

BOOL ReadModelLine(const char *modelName, char *value)
{
    char key[TEXT_BUFFER_SIZE];
    value[0] = '\0';
    if (lstrlenA(modelName) + 2 >= TEXT_BUFFER_SIZE) return FALSE;
    snprintf(key, sizeof(key), "\"%s\"", modelName);
    GetPrivateProfileStringA(ModelsSectionName(), key, "", value, TEXT_BUFFER_SIZE,
                             SetupInfoPath());
    return TRUE;
}

const char *SetupInfoPath()
{
    char *path = g_install.setupInfoPath;
    if (path[0]) return path;

    char module[TEXT_BUFFER_SIZE];
    DWORD length = GetModuleFileNameA(NULL, module, sizeof(module));
    module[sizeof(module) - 1] = '\0';
    if (length == 0) {
        lstrcpyA(module, ".\\");
    } else {
        // By characters: in a double-byte code page a folder or file name may
        // hold the byte of a backslash as the second byte of a character.
        char *slash = (char *)FindLastCharacter(module, '\\');
        if (slash) slash[1] = '\0';
    }
    snprintf(path, TEXT_BUFFER_SIZE, "%s%s", module, SetupInfoFileName());
    return path;
}

WORD ModelCount()
{
    char keys[KEY_LIST_COUNT_SIZE];
    DWORD end = ReadModelKeys(keys, sizeof(keys));
    WORD count = 0;
    for (DWORD offset = 0, length; (length = KeyLengthAt(keys, offset, end)) > 0;
         offset += length + 1)
        ++count;
    return count;
}

void ModelNameAt(WORD index, char *name)
{
    char keys[KEY_LIST_NAMES_SIZE];
    DWORD end = ReadModelKeys(keys, sizeof(keys));
    DWORD offset = 0;
    DWORD length = KeyLengthAt(keys, offset, end);
    for (WORD i = 0; i < index && length > 0; ++i) {
        offset += length + 1;
        length = KeyLengthAt(keys, offset, end);
    }
    if (length == 0) return;
    const char *key = keys + offset;
    // The quoted key has to fit a 1024-byte buffer again when the model is
    // chosen; a longer one could never be looked up, so it is not offered.
    if (length >= TEXT_BUFFER_SIZE) return;
    // The first and the last character go, whatever their size.
    const char *first = CharNextA(key);
    const char *last = CharPrevA(key, key + length);
    int nameLength = last > first ? (int)(last - first) : 0;
    CopyMemory(name, first, nameLength);
    name[nameLength] = '\0';
}

BOOL ReadInstallData()
{
    char line[TEXT_BUFFER_SIZE];
    char installSection[TEXT_BUFFER_SIZE];
    char copyFiles[TEXT_BUFFER_SIZE] = "";
    char dataSection[TEXT_BUFFER_SIZE] = "";

    ReadModelLine(g_install.modelName, line);
    const char *fields = line;
    // Without an install section there is nothing to read: asking the reader
    // for a section without a name would list every section of the file.
    if (NextModelField(fields, installSection, sizeof(installSection))) {
        GetPrivateProfileStringA(installSection, "CopyFiles", "", copyFiles,
                                 sizeof(copyFiles), SetupInfoPath());
        GetPrivateProfileStringA(installSection, "DataSection", "", dataSection,
                                 sizeof(dataSection), SetupInfoPath());
    }
    BuildCopyList(copyFiles);
    ReadDriverDirectory();
    GetPrivateProfileStringA(dataSection, "DefaultDataType", "RAW", g_install.defaultDataType,
                             TEXT_BUFFER_SIZE, SetupInfoPath());
    return TRUE;
}

const char *ModelHardwareId(const char *modelName)
{
    static char hardwareId[TEXT_BUFFER_SIZE];
    char line[TEXT_BUFFER_SIZE];
    char installSection[TEXT_BUFFER_SIZE];
    if (!ReadModelLine(modelName, line)) return NULL;
    const char *fields = line;
    if (!NextModelField(fields, installSection, sizeof(installSection))) return NULL;
    if (!NextModelField(fields, hardwareId, sizeof(hardwareId))) return NULL;
    return hardwareId;
}
