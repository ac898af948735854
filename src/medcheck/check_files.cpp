// Files check: every name of every model's CopyList, checked once per medium
// as the copier would meet it: the name, the length of the paths the copier
// opens, the file under its own or its compressed name, and its expansion
// with the copier's own judgement.
#include <windows.h>
#include <lzexpand.h>
#include <stdio.h>

#include "copy/copier.h"
#include "medcheck/checks.h"
#include "medcheck/findings.h"
#include "platform/ansi_text.h"
#include "ui/dialog_kit.h"

namespace {

// The copier opens each source through OpenFile, whose path holds at most
// 127 characters and its terminator. The copies are written under a short
// temporary name and renamed into place, which takes paths far longer than
// any name that opens: the source's path is the one that limits a name.
const int kLongestOpenPath = OFS_MAXPATHNAME - 1;
// The shortest folder a medium can lie in; a name too long for it is too
// long for every folder.
const char kDriveRoot[] = "D:\\";

bool OpensFromDriveRoot(const char *name)
{
    return lstrlenA(kDriveRoot) + lstrlenA(name) <= kLongestOpenPath;
}

enum { MAX_NOTED_FILES = 4096, NOTED_NAMES_SIZE = 512 * 1024, MODELS_TEXT_SIZE = 200 };

// A distinct file name and the models that copy it.
struct NotedFile {
    const char *name;
    char models[MODELS_TEXT_SIZE];   // "A", "B", ... as far as it fits
    int modelCount;
    int round;                       // the NoteCopyList call that last noted it
};

NotedFile g_files[MAX_NOTED_FILES];
int g_fileCount;
char g_names[NOTED_NAMES_SIZE];
int g_namesUsed;
int g_round;

void AddModel(NotedFile *file, const char *model)
{
    int used = lstrlenA(file->models);
    int room = (int)sizeof(file->models) - used;
    int wrote = snprintf(file->models + used, room, "%s\"%s\"", file->modelCount ? ", " : "", model);
    // A list cut short ends in an ellipsis rather than half a name, put where
    // a character starts, so that no half of a double-byte one stays before it.
    if (wrote >= room) {
        const char *limit = file->models + sizeof(file->models) - 4;
        char *cut = file->models;
        for (char *next = CharNextA(cut); next != cut && next <= limit; next = CharNextA(cut))
            cut = next;
        lstrcpyA(cut, "...");
    }
    ++file->modelCount;
}

const char *NameOf(const NotedFile &file) { return file.name; }

void FileSubject(const NotedFile &file, char *subject)
{
    snprintf(subject, FINDING_SUBJECT_SIZE, "file \"%s\" (model%s %s)", NameOf(file),
             file.modelCount == 1 ? "" : "s", file.models);
}

// A copy error the wizard would show for the file, with the cause and fix.
void AddCopyFinding(const char *code, const char *subject, int copyError, const char *cause,
                    const char *fix)
{
    char message[TEXT_BUFFER_SIZE];
    LoadProgramString(CopyErrorStringId(copyError), message);
    AddFinding(FINDING_ERROR, code, subject, "the copy would fail with \"%s\": %s; %s", message,
               cause, fix);
}

// FALSE when the name the copier's open takes (the listed name, or the
// compressed one it was found under) is too long for it from any folder.
bool CheckOpenLength(const char *name, const char *opened, const char *subject)
{
    if (OpensFromDriveRoot(opened)) return true;
    int pathLength = lstrlenA(kDriveRoot) + lstrlenA(opened);
    char foundAs[TEXT_BUFFER_SIZE] = "";
    if (opened != name) snprintf(foundAs, sizeof(foundAs), "found as \"%s\", ", opened);
    char cause[TEXT_BUFFER_SIZE];
    snprintf(cause, sizeof(cause),
             "%seven from a drive's root (%s) the path has %d characters, %d too many for the "
             "%d the copier's open takes", foundAs, kDriveRoot, pathLength,
             pathLength - kLongestOpenPath, kLongestOpenPath);
    AddCopyFinding("file-path-too-long", subject, COPY_ERROR_OPEN, cause, "shorten the name");
    return false;
}

// FALSE when the name cannot be copied at all, so that nothing further
// about the file matters.
bool CheckName(const char *name, const char *subject)
{
    if (name[0] == ' ' || EndsWithCharacter(name, ' ')) {
        AddFinding(FINDING_ERROR, "copyfiles-blank", subject,
                   "the name has a blank beside a comma of CopyFiles: the wizard splits the list "
                   "at the commas alone, so the blank becomes part of the name; remove the blank");
        return false;
    }
    if (!IsBareFileName(name)) {
        AddCopyFinding("file-name-not-bare", subject, COPY_ERROR_OPEN,
                       "the name holds a drive, a folder or \"..\"",
                       "name the file alone and put it beside setup.exe");
        return false;
    }
    if (IsReservedDeviceName(name)) {
        AddCopyFinding("file-name-reserved", subject, COPY_ERROR_OPEN,
                       "the name is a reserved device name, which the wizard refuses",
                       "rename the file");
        return false;
    }
    return CheckOpenLength(name, name, subject);
}

// The name under which the copier's open finds the file in the medium's
// folder: its own, else the compressed one, which is one or two characters
// longer; NULL when it is under neither. Its path goes into path.
const char *FoundName(const char *name, char *compressed, char *path)
{
    CompressedFallbackName(name, compressed);
    if (FileInFolder(name, path)) return name;
    if (FileInFolder(compressed, path)) return compressed;
    return NULL;
}

// LZ results that tell of this machine (its temp folder, its memory) rather
// than of the file.
bool MachineFailure(LONG result)
{
    return result == LZERROR_BADOUTHANDLE || result == LZERROR_WRITE ||
           result == LZERROR_GLOBALLOC;
}

// Expands the file into a scratch file as the copier would, without any
// prompt; the copy error the wizard would meet, or 0. A failure of this
// machine is recorded with CouldNotCheck and gives 0.
int ExpansionError(const char *path)
{
    char folder[MAX_PATH] = "";
    char scratch[MAX_PATH];
    if (!GetTempPathA(sizeof(folder), folder) || !GetTempFileNameA(folder, "mck", 0, scratch)) {
        CouldNotCheck("no scratch file can be made in the temp folder \"%s\" (error %lu)", folder,
                      GetLastError());
        return 0;
    }
    int error = 0;
    HFILE source = _lopen(path, OF_READ);
    HFILE target = source != HFILE_ERROR ? _lcreat(scratch, 0) : HFILE_ERROR;
    if (source == HFILE_ERROR) {
        error = COPY_ERROR_OPEN;
    } else if (target == HFILE_ERROR) {
        CouldNotCheck("the scratch file \"%s\" does not open (error %lu)", scratch,
                      GetLastError());
        _lclose(source);
    } else {
        LONG result = ExpandChecked(source, target);
        // The expansion works on a duplicate: both handles are still ours.
        _lclose(source);
        _lclose(target);
        if (MachineFailure(result)) {
            char message[TEXT_BUFFER_SIZE];
            LoadProgramString(CopyErrorStringId(result), message);
            CouldNotCheck("expanding \"%s\" into the temp folder \"%s\" failed: %s", path, folder,
                          message);
        } else if (result < 0) {
            error = result;
        }
    }
    DeleteFileA(scratch);
    return error;
}

void CheckExpansion(const char *path, const char *subject)
{
    int error = ExpansionError(path);
    if (error == 0) return;
    if (error == COPY_ERROR_OPEN)
        AddCopyFinding("file-open-error", subject, error,
                       "the file is there but does not open for reading",
                       "make it readable and unlocked");
    else if (error == LZERROR_READ || error == LZERROR_UNKNOWNALG)
        AddCopyFinding("file-damaged", subject, error,
                       "the compressed file is truncated, of an unknown method, or expands to a "
                       "size other than its header declares", "compress the file again");
    else
        AddCopyFinding("file-unreadable", subject, error,
                       "the LZ library cannot read the file", "copy or compress the file again");
}

void CheckFile(const NotedFile &file)
{
    char subject[FINDING_SUBJECT_SIZE];
    FileSubject(file, subject);
    const char *name = NameOf(file);
    if (!CheckName(name, subject)) return;
    char path[TEXT_BUFFER_SIZE];
    char compressed[TEXT_BUFFER_SIZE];
    const char *found = FoundName(name, compressed, path);
    if (!found) {
        AddCopyFinding("file-missing", subject, COPY_ERROR_OPEN, "the file is not in the "
                       "medium's folder under its own name nor under the compressed name",
                       "add the file");
        return;
    }
    if (!CheckOpenLength(name, found, subject)) return;
    if (!g_check.failure[0]) CheckExpansion(path, subject);
}

// The copier opens each source by the medium's folder and the name it lies
// under there. Names too long for any folder have their own finding.
void CheckFolderDepth()
{
    char longest[TEXT_BUFFER_SIZE] = "";
    char compressed[TEXT_BUFFER_SIZE];
    char path[TEXT_BUFFER_SIZE];
    for (int i = 0; i < g_fileCount; ++i) {
        const char *found = FoundName(NameOf(g_files[i]), compressed, path);
        if (!found) found = NameOf(g_files[i]);
        if (OpensFromDriveRoot(found) && lstrlenA(found) > lstrlenA(longest))
            lstrcpynA(longest, found, sizeof(longest));
    }
    int folderLength = lstrlenA(g_check.folder);
    BOOL separated = EndsWithCharacter(g_check.folder, '\\');
    int pathLength = folderLength + (separated ? 0 : 1) + lstrlenA(longest);
    if (!longest[0] || pathLength <= kLongestOpenPath) return;
    char subject[FINDING_SUBJECT_SIZE];
    char cause[TEXT_BUFFER_SIZE];
    snprintf(subject, sizeof(subject), "folder \"%s\"", g_check.folder);
    snprintf(cause, sizeof(cause),
             "with its longest file name \"%s\" the path has %d characters, %d too many for "
             "the %d the copier's open takes", longest, pathLength,
             pathLength - kLongestOpenPath, kLongestOpenPath);
    AddCopyFinding("folder-too-deep", subject, COPY_ERROR_OPEN, cause,
                   "ship the medium in a shallower folder or shorten the name");
}

}  // namespace

void ClearNotedFiles()
{
    g_fileCount = 0;
    g_namesUsed = 0;
}

void NoteCopyList(const char *model)
{
    ++g_round;
    for (const char *name = g_install.copyList; *name; name += lstrlenA(name) + 1) {
        NotedFile *file = NULL;
        for (int i = 0; i < g_fileCount && !file; ++i)
            if (lstrcmpiA(NameOf(g_files[i]), name) == 0) file = &g_files[i];
        int length = lstrlenA(name) + 1;
        if (!file && g_fileCount < MAX_NOTED_FILES && g_namesUsed + length <= NOTED_NAMES_SIZE) {
            file = &g_files[g_fileCount++];
            file->name = g_names + g_namesUsed;
            file->models[0] = '\0';
            file->modelCount = 0;
            file->round = 0;
            CopyMemory(g_names + g_namesUsed, name, length);
            g_namesUsed += length;
        }
        if (!file) {
            // No room to note it: checked at once, for this model alone.
            static NotedFile alone;
            alone.name = name;
            alone.models[0] = '\0';
            alone.modelCount = 0;
            AddModel(&alone, model);
            CheckFile(alone);
            continue;
        }
        if (file->round == g_round) continue;
        file->round = g_round;
        AddModel(file, model);
    }
}

void CheckNotedFiles()
{
    for (int i = 0; i < g_fileCount; ++i) CheckFile(g_files[i]);
    CheckFolderDepth();
}
