// Medium check.
#include "medcheck/medium_check.h"

#include <lzexpand.h>
#include <stdio.h>

#include "copy/copier.h"
#include "medcheck/findings.h"
#include "setupinfo/install_selection.h"
#include "setupinfo/setup_info.h"
#include "shell/platform.h"

namespace {

// Larger than anything the wizard reads, to see what its buffers miss.
enum { WHOLE_READ_SIZE = 65536 };

// Windows takes printer names of at most 220 characters.
const int kLongestPrinterName = 220;

// The files the registered driver names; each must be copied with the model.
const char *const kRegisteredFiles[] = {"UNIDRV.DLL", "UNIDRVUI.DLL", "UNIDRV.HLP", "VP_K20x.GPD"};
const char kDriverDateFile[] = "VP_K20x.DLL";

char g_folder[TEXT_BUFFER_SIZE];
char g_keys[WHOLE_READ_SIZE];
char g_sections[WHOLE_READ_SIZE];
char g_value[WHOLE_READ_SIZE];

bool FileIsThere(const char *name, char *path)
{
    snprintf(path, TEXT_BUFFER_SIZE, "%s\\%s", g_folder, name);
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The name LZ32 falls back to when a file is not found under its own: the
// extension's last letter replaced by '_', or '_' appended to a shorter one.
void CompressedName(const char *name, char *compressed)
{
    lstrcpynA(compressed, name, TEXT_BUFFER_SIZE - 3);
    char *dot = strchr(compressed, '.');
    if (!dot) {
        lstrcatA(compressed, "._");
    } else if (lstrlenA(dot + 1) < 3) {
        lstrcatA(compressed, "_");
    } else {
        compressed[lstrlenA(compressed) - 1] = '_';
    }
}

bool SectionExists(const char *name)
{
    for (const char *s = g_sections; *s; s += lstrlenA(s) + 1)
        if (lstrcmpiA(s, name) == 0) return true;
    return false;
}

bool InCopyList(const char *name)
{
    for (const char *file = g_install.copyList; *file; file += lstrlenA(file) + 1)
        if (lstrcmpiA(file, name) == 0) return true;
    return false;
}

int CountKeys(const char *keys)
{
    int count = 0;
    for (const char *key = keys; *key; key += lstrlenA(key) + 1) ++count;
    return count;
}

void CheckModelName(const char *subject, const char *name)
{
    if (strchr(name, ','))
        AddFinding(FINDING_ERROR, subject,
                   "the name holds a comma: the default-printer entry joins printer, driver and "
                   "port with commas, so the printer could not become the default; remove the comma");
    if (strchr(name, '\\'))
        AddFinding(FINDING_ERROR, subject,
                   "the name holds a backslash, which the spooler refuses in a printer name; "
                   "remove it");
    if (lstrlenA(name) > kLongestPrinterName)
        AddFinding(FINDING_ERROR, subject,
                   "the name has %d characters, more than the %d the spooler takes for a printer; "
                   "shorten it", lstrlenA(name), kLongestPrinterName);
}

// Keys of the models section as the wizard sees them: quoted, long enough,
// not a case twin of an earlier one, and within the wizard's buffers.
void CheckModelKeys(const char *section)
{
    int keyCount = CountKeys(g_keys);
    WORD listed = ModelCount();
    int index = 0;
    for (const char *key = g_keys; *key; key += lstrlenA(key) + 1, ++index) {
        char subject[FINDING_SUBJECT_SIZE];
        snprintf(subject, sizeof(subject), "model key %s", key);
        int length = lstrlenA(key);
        if (length < 3) {
            AddFinding(FINDING_ERROR, subject,
                       "the key is shorter than three characters: the wizard drops its first and "
                       "last character and lists an empty or one-letter name; quote the model name");
            continue;
        }
        if (key[0] != '"' || key[length - 1] != '"')
            AddFinding(FINDING_ERROR, subject,
                       "the key is not quoted: the wizard drops its first and last letter and "
                       "lists a name that is not the model's; write it as \"%s\"", key);
        for (const char *earlier = g_keys; earlier != key; earlier += lstrlenA(earlier) + 1) {
            if (lstrcmpiA(earlier, key) == 0) {
                AddFinding(FINDING_ERROR, subject,
                           "the key differs from the earlier %s only in letter case: the wizard "
                           "lists only the first; give the model a name of its own", earlier);
                break;
            }
        }
        if (index >= listed) {
            AddFinding(FINDING_ERROR, subject,
                       "the models section's key list is longer than the 1024 bytes the wizard "
                       "reads, so this model is not listed; shorten the names or ship fewer models "
                       "on this medium");
        } else {
            char name[TEXT_BUFFER_SIZE] = "";
            ModelNameAt((WORD)index, name);
            if (!name[0] && length >= TEXT_BUFFER_SIZE)
                AddFinding(FINDING_ERROR, subject,
                           "the key is %d characters long, too long for the wizard to look up "
                           "again, so it is not listed; shorten it", length);
        }
    }
    if (keyCount == 0)
        AddFinding(FINDING_ERROR, section,
                   "the models section lists no models: the wizard would offer nothing to "
                   "install; add a line \"Model name\" = INSTALL_SECTION,HARDWARE_ID");
}

// FALSE when the model has no CopyFiles at all, so nothing further about
// its files can be said.
bool CheckCopyFiles(const char *model, const char *installSection)
{
    char subject[FINDING_SUBJECT_SIZE];
    snprintf(subject, sizeof(subject), "model \"%s\", section [%s]", model, installSection);
    GetPrivateProfileStringA(installSection, "CopyFiles", "", g_value, sizeof(g_value),
                             SetupInfoPath());
    if (!g_value[0]) {
        AddFinding(FINDING_ERROR, subject,
                   "CopyFiles is missing or empty: the wizard would copy nothing and register a "
                   "driver whose files are not there; list the driver files");
        return false;
    }
    int length = lstrlenA(g_value);
    if (length > TEXT_BUFFER_SIZE - 1)
        AddFinding(FINDING_ERROR, subject,
                   "CopyFiles is %d characters long; the wizard reads only the first 1023 and "
                   "drops or cuts the files beyond; split the model's files or shorten the names",
                   length);
    int fields = 0, emptyFields = 0;
    for (const char *p = g_value;;) {
        if (*p == '@') ++p;
        const char *start = p;
        while (*p && *p != ',') ++p;
        if (p == start) ++emptyFields; else ++fields;
        if (!*p) break;
        ++p;
    }
    if (emptyFields)
        AddFinding(FINDING_WARNING, subject,
                   "CopyFiles has %d empty field%s (two commas in a row, a trailing comma or a "
                   "lone @); the wizard skips them; remove them", emptyFields,
                   emptyFields == 1 ? "" : "s");
    if (length <= TEXT_BUFFER_SIZE - 1 && g_install.fileCount < fields)
        AddFinding(FINDING_ERROR, subject,
                   "the file names do not fit the wizard's 1024-byte copy list: only %ld of %d "
                   "would be copied; shorten the names or ship fewer files",
                   (long)g_install.fileCount, fields);
    return true;
}

// Expands the file into a scratch file with the real LZ functions, judged as
// the copier judges it; the scratch file is removed again.
bool SourceExpands(const char *path, char *problem, int problemSize)
{
    char folder[MAX_PATH];
    char scratch[MAX_PATH];
    if (!GetTempPathA(sizeof(folder), folder) || !GetTempFileNameA(folder, "mck", 0, scratch)) {
        snprintf(problem, problemSize, "no scratch file could be made to expand it into");
        return false;
    }
    OFSTRUCT sourceInfo, scratchInfo;
    INT source = LZOpenFileA((LPSTR)path, &sourceInfo, OF_READ | OF_PROMPT | OF_CANCEL);
    INT target = source >= 0 ? LZOpenFileA(scratch, &scratchInfo, OF_CREATE) : -1;
    LONG result = 0;
    if (source < 0)
        snprintf(problem, problemSize, "the file does not open");
    else if (target < 0)
        snprintf(problem, problemSize, "the scratch file to expand it into does not open");
    else
        result = ExpandChecked(source, target);
    if (source >= 0) LZClose(source);
    if (target >= 0) LZClose(target);
    DeleteFileA(scratch);
    if (source < 0 || target < 0) return false;
    if (result >= 0) return true;
    if (result == LZERROR_READ)
        snprintf(problem, problemSize,
                 "the compressed file is damaged: truncated, of an unknown method, or expanding "
                 "to a size other than its header declares");
    else
        snprintf(problem, problemSize, "the LZ library cannot expand the file (error %ld)",
                 (long)result);
    return false;
}

void CheckFile(const char *model, const char *name)
{
    char subject[FINDING_SUBJECT_SIZE];
    snprintf(subject, sizeof(subject), "file %s (model \"%s\")", name, model);
    if (!IsBareFileName(name)) {
        AddFinding(FINDING_ERROR, subject,
                   "the name is not a bare file name (it holds a drive, a folder or \"..\"): the "
                   "copy would fail with \"File open error.\"; name the file alone and put it "
                   "beside setup.exe");
        return;
    }
    char path[TEXT_BUFFER_SIZE];
    char compressed[TEXT_BUFFER_SIZE];
    CompressedName(name, compressed);
    if (!FileIsThere(name, path) && !FileIsThere(compressed, path)) {
        AddFinding(FINDING_ERROR, subject,
                   "the file is not in the medium's folder, neither as %s nor as %s: the copy "
                   "would fail with \"File open error.\"; add the file", name, compressed);
        return;
    }
    char problem[TEXT_BUFFER_SIZE];
    if (!SourceExpands(path, problem, sizeof(problem)))
        AddFinding(FINDING_ERROR, subject,
                   "%s: the copy would fail with \"File has damaged.\"; compress the file again",
                   problem);
}

void CheckDataSection(const char *subject, const char *installSection)
{
    char dataSection[TEXT_BUFFER_SIZE];
    GetPrivateProfileStringA(installSection, "DataSection", "", dataSection, sizeof(dataSection),
                             SetupInfoPath());
    if (!dataSection[0] || !SectionExists(dataSection)) {
        AddFinding(FINDING_WARNING, subject,
                   "the data section %s%s is missing: the data type RAW applies; add the section "
                   "with DefaultDataType if another type is meant",
                   dataSection[0] ? dataSection : "(DataSection not set)", "");
        return;
    }
    char dataType[TEXT_BUFFER_SIZE];
    GetPrivateProfileStringA(dataSection, "DefaultDataType", "", dataType, sizeof(dataType),
                             SetupInfoPath());
    if (!dataType[0])
        AddFinding(FINDING_WARNING, subject,
                   "the data section [%s] has no DefaultDataType: RAW applies; set it if another "
                   "type is meant", dataSection);
}

// One model that the wizard lists, checked as choosing it would go.
void CheckListedModel(const char *model)
{
    char subject[FINDING_SUBJECT_SIZE];
    snprintf(subject, sizeof(subject), "model \"%s\"", model);
    CheckModelName(subject, model);

    char line[TEXT_BUFFER_SIZE];
    ReadModelLine(model, line);
    const char *fields = line;
    char installSection[TEXT_BUFFER_SIZE];
    if (!NextModelField(fields, installSection, sizeof(installSection))) {
        AddFinding(FINDING_ERROR, subject,
                   "the model's line names no install section: the wizard would copy nothing and "
                   "register a driver without files; write \"%s\" = INSTALL_SECTION,HARDWARE_ID",
                   model);
        return;
    }
    if (!SectionExists(installSection)) {
        AddFinding(FINDING_ERROR, subject,
                   "the install section [%s] does not exist: the wizard would copy nothing and "
                   "register a driver without files; add the section or correct its name",
                   installSection);
        return;
    }
    if (!ModelHardwareId(model))
        AddFinding(FINDING_WARNING, subject,
                   "the model's line has no hardware id: the driver is registered without one; "
                   "add it after the install section, separated by a comma");

    lstrcpynA(g_install.modelName, model, TEXT_BUFFER_SIZE);
    ReadInstallData();
    if (!CheckCopyFiles(model, installSection)) {
        CheckDataSection(subject, installSection);
        return;
    }
    for (const char *file : kRegisteredFiles)
        if (!InCopyList(file))
            AddFinding(FINDING_ERROR, subject,
                       "%s is not in CopyFiles, but the registered driver names it: the driver "
                       "would not work; add @%s to CopyFiles of [%s]", file, file, installSection);
    for (const char *file = g_install.copyList; *file; file += lstrlenA(file) + 1)
        CheckFile(model, file);
    CheckDataSection(subject, installSection);
}

}  // namespace

MediumCheckResult CheckMedium(const char *folder)
{
    ClearFindings();
    ZeroMemory(&g_install, sizeof(g_install));
    g_install.environment = SpoolerEnvironment();
    lstrcpynA(g_folder, folder, sizeof(g_folder));
    int length = lstrlenA(g_folder);
    while (length > 3 && (g_folder[length - 1] == '\\' || g_folder[length - 1] == '/'))
        g_folder[--length] = '\0';

    DWORD attributes = GetFileAttributesA(g_folder);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return MEDIUM_UNREADABLE;
    snprintf(g_install.setupInfoPath, TEXT_BUFFER_SIZE, "%s\\%s", g_folder, SetupInfoFileName());
    HANDLE inf = CreateFileA(SetupInfoPath(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, NULL);
    if (inf == INVALID_HANDLE_VALUE) return MEDIUM_UNREADABLE;
    CloseHandle(inf);

    GetPrivateProfileSectionNamesA(g_sections, sizeof(g_sections), SetupInfoPath());
    const char *section = ModelsSectionName();
    if (!SectionExists(section)) {
        AddFinding(FINDING_ERROR, SetupInfoFileName(),
                   "the models section [%s] is missing: the wizard would offer no model; add it",
                   section);
    } else {
        GetPrivateProfileStringA(section, NULL, "", g_keys, sizeof(g_keys), SetupInfoPath());
        CheckModelKeys(section);
        // Each model as the wizard lists it: case twins are listed once.
        static char listedNames[TEXT_BUFFER_SIZE * 2];
        int used = 0;
        WORD listed = ModelCount();
        for (WORD i = 0; i < listed; ++i) {
            char name[TEXT_BUFFER_SIZE] = "";
            ModelNameAt(i, name);
            bool twin = false;
            for (const char *seen = listedNames; seen < listedNames + used;
                 seen += lstrlenA(seen) + 1)
                twin = twin || lstrcmpiA(seen, name) == 0;
            // A name cut from an unquoted key is no model's: its key's
            // finding says all there is.
            char key[TEXT_BUFFER_SIZE + 2];
            snprintf(key, sizeof(key), "\"%s\"", name);
            bool quotedKey = false;
            for (const char *k = g_keys; *k; k += lstrlenA(k) + 1)
                quotedKey = quotedKey || lstrcmpA(k, key) == 0;
            if (!name[0] || twin || !quotedKey) continue;
            CheckListedModel(name);
            int length = lstrlenA(name) + 1;
            if (used + length <= (int)sizeof(listedNames)) {
                CopyMemory(listedNames + used, name, length);
                used += length;
            }
        }
    }
    char path[TEXT_BUFFER_SIZE];
    if (!FileIsThere(kDriverDateFile, path))
        AddFinding(FINDING_WARNING, kDriverDateFile,
                   "the file is not in the medium's folder: the driver is registered without a "
                   "date; add it");
    return ErrorCount() ? MEDIUM_HAS_ERRORS : MEDIUM_OK;
}
