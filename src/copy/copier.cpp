// Driver file copier: one file of the CopyList from the medium into the
// spooler's driver directory, LZ-expanded on the way, and a second copy into
// the version subdirectory; every failure is shown to the user at once.
//
// The installed files are shared by every model of the family, and by other
// printers on the universal driver, and only a whole set works together.
// So every file is first staged: written whole and flushed under a temporary
// name beside its target. Only when the last one is staged are they put in
// place, each in one replace; a failure or a cancel before that removes
// what was staged and leaves every installed file as it was.
#include "copy/copier.h"

#include <lzexpand.h>
#include <stdio.h>
#include <string.h>

#include "resource.h"
#include "platform/ansi_text.h"
#include "platform/install_selection.h"
#include "ui/dialog_kit.h"

namespace {

// Head of a file compressed for the LZ library: magic, method, the last
// character of the original name, the expanded size (little-endian).
enum { LZ_HEADER_SIZE = 14, LZ_MAGIC_SIZE = 8, LZ_METHOD_OFFSET = 8, LZ_SIZE_OFFSET = 10 };
const BYTE kLzMagic[LZ_MAGIC_SIZE] = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33};
const BYTE kLzKnownMethod = 'A';

// What the stored source says about itself before it is expanded.
struct SourceFacts {
    BOOL compressed;
    BOOL knownMethod;
    LONG declaredSize;  // expanded size written in the header
    LONG storedSize;    // bytes of the source as it lies on the medium
};

const struct {
    int code;
    UINT stringId;
} kCopyErrorStrings[] = {
    {COPY_ERROR_OPEN, IDS_ERR_OPEN},
    {LZERROR_BADINHANDLE, IDS_ERR_READ_SOURCE},
    {LZERROR_BADOUTHANDLE, IDS_ERR_CREATE_DEST},
    {LZERROR_READ, IDS_ERR_DAMAGED},
    {LZERROR_WRITE, IDS_ERR_DISK_FULL},
    {LZERROR_GLOBALLOC, IDS_ERR_MEMORY},
    {LZERROR_GLOBLOCK, IDS_ERR_DECOMPRESS},
    {LZERROR_BADVALUE, IDS_ERR_UNKNOWN},
    {LZERROR_UNKNOWNALG, IDS_ERR_DAMAGED},
};

char *CopyListEntry(LONG index)
{
    char *name = g_install.copyList;
    for (LONG i = 0; i < index && *name; ++i) name += lstrlenA(name) + 1;
    return name;
}

// FALSE when the formatted path does not fit: a path cut to the buffer
// would name some other file.
BOOL FitsPathBuffer(int formattedLength)
{
    return formattedLength >= 0 && formattedLength < TEXT_BUFFER_SIZE;
}

BOOL BuildDestinationPath(const char *name, char *path)
{
    // The driver directory ends in a backslash already.
    int length = snprintf(path, TEXT_BUFFER_SIZE, "%s%s", g_install.driverDirectory, name);
    path[TEXT_BUFFER_SIZE - 1] = '\0';
    return FitsPathBuffer(length);
}

BOOL BuildVersionPath(const char *name, char *path)
{
    const char *directory = g_install.driverDirectory;
    const char *separator = EndsWithCharacter(directory, '\\') ? "" : "\\";
    int length = snprintf(path, TEXT_BUFFER_SIZE, "%s%s%d\\%s", directory, separator,
                          (int)g_install.driverVersion, name);
    path[TEXT_BUFFER_SIZE - 1] = '\0';
    return FitsPathBuffer(length);
}

// Opened with the prompt flags, the source is a plain file handle that the
// LZ copy initialises itself, so its head can be read here and the file put
// back at its start.
SourceFacts ReadSourceFacts(HFILE source)
{
    SourceFacts facts = {FALSE, FALSE, 0, 0};
    LONG end = _llseek(source, 0, FILE_END);
    if (end != HFILE_ERROR) facts.storedSize = end;
    _llseek(source, 0, FILE_BEGIN);
    BYTE header[LZ_HEADER_SIZE];
    UINT got = _lread(source, header, sizeof(header));
    _llseek(source, 0, FILE_BEGIN);
    if (got != sizeof(header) || memcmp(header, kLzMagic, LZ_MAGIC_SIZE) != 0) return facts;
    facts.compressed = TRUE;
    facts.knownMethod = header[LZ_METHOD_OFFSET] == kLzKnownMethod;
    const BYTE *size = header + LZ_SIZE_OFFSET;
    facts.declaredSize = (LONG)((DWORD)size[0] | (DWORD)size[1] << 8 | (DWORD)size[2] << 16 |
                                (DWORD)size[3] << 24);
    return facts;
}

// The LZ library reports neither a truncated compressed file (it expands
// short) nor one it cannot expand at all (it writes nothing); both would be
// installed as if they were whole.
BOOL ExpansionDamaged(const SourceFacts &facts, LONG written)
{
    if (facts.compressed) return !facts.knownMethod || written != facts.declaredSize;
    return facts.storedSize > 0 && written == 0;
}

CopyOutcome OpenFailure(HWND page)
{
    ReportCopyError(page, COPY_ERROR_OPEN);
    return COPY_FAILED;
}

// Retrying cannot mend the destination folder, a temporary file that
// cannot be made there, nor a file that will not be replaced, so this ends
// the copy.
CopyOutcome DestinationFailure(HWND page)
{
    ReportCopyError(page, LZERROR_BADOUTHANDLE);
    return COPY_FAILED;
}

// GetTempFileNameA's names with this prefix are the copier's own: the
// prefix, one to four hexadecimal digits and ".tmp".
const char kStagingPrefix[] = "VPK";
enum {
    STAGING_PREFIX_LENGTH = sizeof(kStagingPrefix) - 1,
    STAGED_NAME_SIZE = 16,
    // A name and its terminator take two bytes of the CopyList at least.
    MAX_STAGED_FILES = TEXT_BUFFER_SIZE / 2,
    // A file just written into the driver directory is often held for a
    // moment by a virus scanner or an indexer: its replace is tried for about
    // a second in all, the page answering meanwhile. In the version folder
    // it is the spooler that holds files, for as long as printers use them.
    REPLACE_ATTEMPTS = 10,
    REPLACE_RETRY_DELAY_MS = 100,
    VERSION_REPLACE_ATTEMPTS = 1,
    VERSION_COPY_CHUNK = 64 * 1024,
};

// A CopyList file written whole under temporary names, waiting for the
// commit: the names in the driver directory and in the version folder, ""
// where there is none. During the commit, the installed file is kept under
// a staging name of its own until the whole set is in.
struct StagedFile {
    char driverCopy[STAGED_NAME_SIZE];
    char versionCopy[STAGED_NAME_SIZE];
    char oldCopy[STAGED_NAME_SIZE];  // "" when nothing was installed
    DWORD oldAttributes;             // as found; INVALID_FILE_ATTRIBUTES when none
    BOOL placed;                     // the new file has replaced the installed one
};

StagedFile g_staged[MAX_STAGED_FILES];  // by CopyList index

BOOL IsHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

char FoldAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? (char)(c - 'A' + 'a') : c;
}

// Byte by byte: a locale's comparison ignores some characters, and would
// take a name of someone else's for one of the copier's.
BOOL StartsWithAscii(const char *name, const char *text)
{
    for (; *text; ++name, ++text)
        if (FoldAscii(*name) != FoldAscii(*text)) return FALSE;
    return TRUE;
}

// Windows writes the number in four upper-case digits, Wine in lower case
// without leading zeros; either may come back in another case.
BOOL IsStagingName(const char *name)
{
    if (!StartsWithAscii(name, kStagingPrefix)) return FALSE;
    const char *digits = name + STAGING_PREFIX_LENGTH;
    int count = 0;
    while (count < 5 && IsHexDigit(digits[count])) ++count;
    const char *rest = digits + count;
    return count >= 1 && count <= 4 && StartsWithAscii(rest, ".tmp") && rest[4] == '\0';
}

// A new empty file of a unique short name in the folder (which ends in a
// backslash), on the target's volume so that the replace is a rename; its
// path, and its name alone for the commit.
BOOL MakeTemporaryFile(const char *folder, char *path, char *name)
{
    char shortPath[MAX_PATH];
    if (lstrlenA(folder) > MAX_PATH - 14 ||
        !GetTempFileNameA(folder, kStagingPrefix, 0, shortPath))
        return FALSE;
    const char *fileName = strrchr(shortPath, '\\');
    fileName = fileName ? fileName + 1 : shortPath;
    if (lstrlenA(fileName) >= STAGED_NAME_SIZE) {
        DeleteFileA(shortPath);
        return FALSE;
    }
    lstrcpynA(path, shortPath, TEXT_BUFFER_SIZE);
    lstrcpynA(name, fileName, STAGED_NAME_SIZE);
    return TRUE;
}

// The path of a staged or installed file name in the driver directory, or
// in its version folder.
BOOL BuildFolderPath(BOOL versionFolder, const char *name, char *path)
{
    return versionFolder ? BuildVersionPath(name, path) : BuildDestinationPath(name, path);
}

void RemoveStagedCopy(BOOL versionFolder, char *name)
{
    char path[TEXT_BUFFER_SIZE];
    if (name[0] && BuildFolderPath(versionFolder, name, path)) DeleteFileA(path);
    name[0] = '\0';
}

void RemoveStagedFile(LONG index)
{
    RemoveStagedCopy(FALSE, g_staged[index].driverCopy);
    RemoveStagedCopy(TRUE, g_staged[index].versionCopy);
    RemoveStagedCopy(FALSE, g_staged[index].oldCopy);
}

// Only the copier's own temporary names: anything else in these folders
// belongs to the spooler or to other drivers.
void RemoveLeftoversIn(BOOL versionFolder)
{
    char wildcard[STAGING_PREFIX_LENGTH + 2];
    char pattern[TEXT_BUFFER_SIZE];
    char path[TEXT_BUFFER_SIZE];
    snprintf(wildcard, sizeof(wildcard), "%s*", kStagingPrefix);
    if (!BuildFolderPath(versionFolder, wildcard, pattern)) return;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            IsStagingName(found.cFileName) && BuildFolderPath(versionFolder, found.cFileName, path))
            DeleteFileA(path);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

// The page's thread answers its messages while it waits.
void WaitAnswering(DWORD delayMs)
{
    DWORD start = GetTickCount();
    for (DWORD waited = 0; waited < delayMs; waited = GetTickCount() - start) {
        MsgWaitForMultipleObjects(0, NULL, FALSE, delayMs - waited, QS_ALLINPUT);
        MSG message;
        while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
}

// One step: the target is either the old file or the whole new one.
BOOL ReplaceInOneStep(const char *from, const char *target, int attempts)
{
    for (int attempt = 1;; ++attempt) {
        if (MoveFileExA(from, target, MOVEFILE_REPLACE_EXISTING)) return TRUE;
        DWORD error = GetLastError();
        if (attempt >= attempts ||
            (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED))
            return FALSE;
        WaitAnswering(REPLACE_RETRY_DELAY_MS);
    }
}

// Open without delete sharing, as a program holds a file it uses: no
// replace can succeed, and that is known before anything changes.
BOOL IsHeldOpen(const char *path)
{
    HANDLE probe = CreateFileA(path, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               NULL, OPEN_EXISTING, 0, NULL);
    if (probe == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_SHARING_VIOLATION;
    CloseHandle(probe);
    return FALSE;
}

// A staged copy is worth nothing unless its data has reached the disk
// before the rename that publishes it.
BOOL WriteAllFlushed(HANDLE from, HANDLE to)
{
    static BYTE chunk[VERSION_COPY_CHUNK];
    DWORD got = 0;
    DWORD wrote = 0;
    for (;;) {
        if (!ReadFile(from, chunk, sizeof(chunk), &got, NULL)) return FALSE;
        if (got == 0) return FlushFileBuffers(to);
        if (!WriteFile(to, chunk, got, &wrote, NULL) || wrote != got) return FALSE;
    }
}

// A copy whose data has reached the disk, dated as the original.
BOOL CopyFlushed(const char *fromPath, const char *toPath)
{
    HANDLE from = CreateFileA(fromPath, GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                              OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, NULL);
    HANDLE to = CreateFileA(toPath, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                            FILE_FLAG_SEQUENTIAL_SCAN, NULL);
    FILETIME written;
    BOOL copied = from != INVALID_HANDLE_VALUE && to != INVALID_HANDLE_VALUE &&
                  WriteAllFlushed(from, to) && GetFileTime(from, NULL, NULL, &written) &&
                  SetFileTime(to, NULL, NULL, &written);
    if (from != INVALID_HANDLE_VALUE) CloseHandle(from);
    if (to != INVALID_HANDLE_VALUE) CloseHandle(to);
    return copied;
}

// The version folder's copy, staged from the driver directory's staged
// file. Silent when it fails: the spooler puts the driver directory's files
// there itself when the driver is registered, and it is there that the
// files of other printers on the same driver are in use, which must not
// stop a reinstall.
void StageVersionCopy(const char *stagedPath, LONG index)
{
    char folder[TEXT_BUFFER_SIZE];
    char temporary[TEXT_BUFFER_SIZE];
    char name[STAGED_NAME_SIZE];
    if (!BuildVersionPath("", folder) || !MakeTemporaryFile(folder, temporary, name)) return;
    if (CopyFlushed(stagedPath, temporary))
        lstrcpynA(g_staged[index].versionCopy, name, STAGED_NAME_SIZE);
    else
        DeleteFileA(temporary);
}

// The staged file's path and the installed file's, in the driver directory
// or the version folder.
BOOL BuildCommitPaths(BOOL versionFolder, LONG index, char *staged, char *target)
{
    const StagedFile &file = g_staged[index];
    return BuildFolderPath(versionFolder, versionFolder ? file.versionCopy : file.driverCopy,
                           staged) &&
           BuildFolderPath(versionFolder, CopyListEntry(index), target);
}

// Keeps the installed file reachable under a staging name until the set is
// in: a second link to it, or a flushed copy where the volume has no links
// (FAT). Windows replaces no read-only file, so the attribute is cleared
// first; a put-back sets it again.
BOOL KeepInstalledFile(LONG index, const char *target)
{
    StagedFile &file = g_staged[index];
    file.oldAttributes = GetFileAttributesA(target);
    if (file.oldAttributes == INVALID_FILE_ATTRIBUTES)
        return GetLastError() == ERROR_FILE_NOT_FOUND;
    if ((file.oldAttributes & FILE_ATTRIBUTE_READONLY) &&
        !SetFileAttributesA(target, file.oldAttributes & ~FILE_ATTRIBUTE_READONLY))
        return FALSE;
    char kept[TEXT_BUFFER_SIZE];
    if (!MakeTemporaryFile(g_install.driverDirectory, kept, file.oldCopy)) return FALSE;
    // A link is made under a new name only: the empty file goes, and its
    // number stays free for it while this is the only wizard.
    DeleteFileA(kept);
    return CreateHardLinkA(kept, target, NULL) || CopyFlushed(target, kept);
}

// Every replace that can be seen to fail is refused before anything
// changes; then each installed file is kept; FALSE with the index that
// failed.
BOOL PrepareDriverSet(LONG *failed)
{
    char staged[TEXT_BUFFER_SIZE];
    char target[TEXT_BUFFER_SIZE];
    for (StagedFile &file : g_staged) {
        file.oldAttributes = INVALID_FILE_ATTRIBUTES;
        file.placed = FALSE;
    }
    for (LONG index = 0; index < MAX_STAGED_FILES; ++index) {
        if (!g_staged[index].driverCopy[0]) continue;
        *failed = index;
        if (!BuildCommitPaths(FALSE, index, staged, target) || IsHeldOpen(target)) return FALSE;
    }
    for (LONG index = 0; index < MAX_STAGED_FILES; ++index) {
        *failed = index;
        if (g_staged[index].driverCopy[0] &&
            (!BuildCommitPaths(FALSE, index, staged, target) || !KeepInstalledFile(index, target)))
            return FALSE;
    }
    return TRUE;
}

BOOL PlaceDriverSet(LONG *failed)
{
    char staged[TEXT_BUFFER_SIZE];
    char target[TEXT_BUFFER_SIZE];
    for (LONG index = 0; index < MAX_STAGED_FILES; ++index) {
        StagedFile &file = g_staged[index];
        if (!file.driverCopy[0]) continue;
        *failed = index;
        if (!BuildCommitPaths(FALSE, index, staged, target) ||
            !ReplaceInOneStep(staged, target, REPLACE_ATTEMPTS))
            return FALSE;
        file.driverCopy[0] = '\0';
        file.placed = TRUE;
    }
    return TRUE;
}

// Each installed file as it was, each in one replace again.
void PutBackDriverSet()
{
    char kept[TEXT_BUFFER_SIZE];
    char target[TEXT_BUFFER_SIZE];
    for (LONG index = 0; index < MAX_STAGED_FILES; ++index) {
        StagedFile &file = g_staged[index];
        if (!BuildDestinationPath(CopyListEntry(index), target)) continue;
        BOOL asFound = TRUE;
        if (file.placed && file.oldCopy[0])
            asFound = BuildDestinationPath(file.oldCopy, kept) &&
                      ReplaceInOneStep(kept, target, REPLACE_ATTEMPTS);
        else if (file.placed)
            asFound = DeleteFileA(target);
        if (file.placed && asFound) file.oldCopy[0] = '\0';
        file.placed = FALSE;
        // A link shares the attributes: it goes before they are set again.
        RemoveStagedCopy(FALSE, file.oldCopy);
        if (asFound && file.oldAttributes != INVALID_FILE_ATTRIBUTES &&
            (file.oldAttributes & FILE_ATTRIBUTE_READONLY))
            SetFileAttributesA(target, file.oldAttributes);
        file.oldAttributes = INVALID_FILE_ATTRIBUTES;
    }
}

// Best effort, one attempt each: a file the spooler holds is skipped at once.
void PlaceVersionCopies()
{
    char staged[TEXT_BUFFER_SIZE];
    char target[TEXT_BUFFER_SIZE];
    for (LONG index = 0; index < MAX_STAGED_FILES; ++index) {
        StagedFile &file = g_staged[index];
        if (!file.versionCopy[0]) continue;
        BOOL placed = FALSE;
        if (BuildCommitPaths(TRUE, index, staged, target) && !IsHeldOpen(target)) {
            DWORD attributes = GetFileAttributesA(target);
            BOOL readOnly = attributes != INVALID_FILE_ATTRIBUTES &&
                            (attributes & FILE_ATTRIBUTE_READONLY);
            if (readOnly) SetFileAttributesA(target, attributes & ~FILE_ATTRIBUTE_READONLY);
            placed = ReplaceInOneStep(staged, target, VERSION_REPLACE_ATTEMPTS);
            if (readOnly && !placed) SetFileAttributesA(target, attributes);
        }
        if (placed)
            file.versionCopy[0] = '\0';
        else
            RemoveStagedCopy(TRUE, file.versionCopy);
    }
}

// The plain source's own handle, duplicated for the LZ library to own. Given
// a plain handle, the library's copy makes its own LZ handle of it and may
// close the file with it, leaving the caller's close to hit whatever handle
// took the number next; given an LZ handle it closes nothing. So the copy
// always gets an LZ handle (or the plain duplicate where the library keeps
// an uncompressed file plain) and both handles are closed exactly once.
HANDLE DuplicateFileHandle(HFILE file)
{
    HANDLE duplicate = NULL;
    if (!DuplicateHandle(GetCurrentProcess(), (HANDLE)(INT_PTR)file, GetCurrentProcess(),
                         &duplicate, 0, FALSE, DUPLICATE_SAME_ACCESS))
        return NULL;
    return duplicate;
}

}  // namespace

// The CopyList holds bare file names. A name with a drive, a folder or a
// parent step in it would be read from elsewhere than the medium and written
// outside the driver directory, so it is refused like a file that does not
// open.
BOOL IsBareFileName(const char *name)
{
    if (!name[0] || lstrcmpA(name, ".") == 0 || lstrcmpA(name, "..") == 0) return FALSE;
    // By characters: the second byte of a double-byte character may be the
    // byte of a backslash.
    return !FindCharacter(name, '\\') && !FindCharacter(name, '/') && !FindCharacter(name, ':');
}

BOOL IsReservedDeviceName(const char *name)
{
    static const char *const kDevices[] = {"CON", "PRN", "AUX", "NUL"};
    static const char *const kNumberedDevices[] = {"COM", "LPT"};
    char stem[9] = "";
    // The system ignores an extension, and blanks before it, on these names.
    const char *end = name;
    while (*end && *end != '.' && end - name < 8) end = CharNextA(end);
    int length = (int)(end - name);
    if (length >= 8) return FALSE;
    lstrcpynA(stem, name, length + 1);
    while (length > 0 && stem[length - 1] == ' ') stem[--length] = '\0';
    for (const char *device : kDevices)
        if (lstrcmpiA(stem, device) == 0) return TRUE;
    if (length != 4 || stem[3] < '1' || stem[3] > '9') return FALSE;
    stem[3] = '\0';
    for (const char *device : kNumberedDevices)
        if (lstrcmpiA(stem, device) == 0) return TRUE;
    return FALSE;
}

UINT CopyErrorStringId(int code)
{
    for (const auto &entry : kCopyErrorStrings)
        if (entry.code == code) return entry.stringId;
    return IDS_ERR_UNKNOWN;
}

void CompressedFallbackName(const char *name, char *compressed)
{
    lstrcpynA(compressed, name, TEXT_BUFFER_SIZE - 2);
    // Byte by byte, as the LZ library works: the second byte of a double-byte
    // character is taken for a backslash where it is one's byte, and of a last
    // double-byte character only the second byte is replaced.
    const char *folderEnd = strrchr(compressed, '\\');
    char *dot = strchr(folderEnd ? folderEnd : compressed, '.');
    if (!dot)
        lstrcatA(compressed, "._");
    else if (lstrlenA(dot + 1) < 3)
        lstrcatA(compressed, "_");
    else
        compressed[lstrlenA(compressed) - 1] = '_';
}

BOOL IsAbsoluteFolderPath(const char *path)
{
    if (lstrlenA(path) < 3 || !EndsWithCharacter(path, '\\')) return FALSE;
    char drive = (char)(path[0] | 0x20);
    BOOL onDrive = drive >= 'a' && drive <= 'z' && path[1] == ':' && path[2] == '\\';
    BOOL onShare = path[0] == '\\' && path[1] == '\\' && path[2] != '\\';
    return onDrive || onShare;
}

LONG ExpandChecked(INT source, INT target)
{
    SourceFacts facts = ReadSourceFacts((HFILE)source);
    // An unknown method is damage; the library would only expand it to nothing.
    if (facts.compressed && !facts.knownMethod) return LZERROR_READ;
    HANDLE duplicate = DuplicateFileHandle((HFILE)source);
    if (!duplicate) return LZERROR_BADINHANDLE;
    INT plain = (INT)(INT_PTR)duplicate;
    INT lzSource = LZInit(plain);
    if (lzSource < 0) {
        CloseHandle(duplicate);
        return lzSource;
    }
    LONG result = CopyLZFile(lzSource, target);
    LZClose(lzSource);
    if (result >= 0 && ExpansionDamaged(facts, result)) result = LZERROR_READ;
    return result;
}

#if defined(__i386__)
// LZOpenFileA fills an OFSTRUCT of the x86 layout.
static_assert(sizeof(OFSTRUCT) == 136, "OFSTRUCT is 136 bytes on x86");
#endif

BOOL CheckDriverDirectory(HWND owner)
{
    if (IsAbsoluteFolderPath(g_install.driverDirectory)) return TRUE;
    DestinationFailure(owner);
    return FALSE;
}

void BeginDriverCopy()
{
    DiscardStagedFiles();
    if (!IsAbsoluteFolderPath(g_install.driverDirectory)) return;
    RemoveLeftoversIn(FALSE);
    if (g_install.driverVersion >= 2) RemoveLeftoversIn(TRUE);
}

CopyOutcome CopyDriverFile(HWND page, LONG index)
{
    char *name = CopyListEntry(index);
    SetDlgItemTextA(page, IDC_COPY_FILE, name);
    SetDlgItemTextA(page, IDC_COPY_DEST, g_install.driverDirectory);

    char destination[TEXT_BUFFER_SIZE];
    char versionPath[TEXT_BUFFER_SIZE];
    if (index < 0 || index >= MAX_STAGED_FILES) return OpenFailure(page);
    if (!IsBareFileName(name) || IsReservedDeviceName(name)) return OpenFailure(page);
    if (!CheckDriverDirectory(page)) return COPY_FAILED;
    if (!BuildDestinationPath(name, destination)) return OpenFailure(page);
    if (g_install.driverVersion >= 2 && !BuildVersionPath(name, versionPath))
        return OpenFailure(page);
    // A retry stages the file anew.
    RemoveStagedFile(index);

    OFSTRUCT sourceInfo;
    INT source = LZOpenFileA(name, &sourceInfo, OF_READ | OF_PROMPT | OF_CANCEL);
    if (source < 0) return OpenFailure(page);
    char temporary[TEXT_BUFFER_SIZE];
    char staged[STAGED_NAME_SIZE];
    HANDLE target = INVALID_HANDLE_VALUE;
    // A plain handle, which the LZ copy takes as it is: the LZ library's own
    // open, when it fails, writes a file of the compressed form of the name
    // instead.
    if (MakeTemporaryFile(g_install.driverDirectory, temporary, staged)) {
        target = CreateFileA(temporary, GENERIC_WRITE, 0, NULL, TRUNCATE_EXISTING,
                             FILE_FLAG_SEQUENTIAL_SCAN, NULL);
        if (target == INVALID_HANDLE_VALUE) DeleteFileA(temporary);
    }
    if (target == INVALID_HANDLE_VALUE) {
        LZClose(source);
        return DestinationFailure(page);
    }
    LONG result = ExpandChecked(source, (INT)(INT_PTR)target);
    BOOL sizeAsReported = result < 0 || GetFileSize(target, NULL) == (DWORD)result;
    if (result >= 0 && sizeAsReported && !FlushFileBuffers(target)) result = LZERROR_WRITE;
    LZClose(source);
    CloseHandle(target);

    if (!sizeAsReported) {
        DeleteFileA(temporary);
        return DestinationFailure(page);
    }
    if (result < 0) {
        DeleteFileA(temporary);
        ReportCopyError(page, result);
        return result == LZERROR_BADINHANDLE || result == LZERROR_BADOUTHANDLE ? COPY_RETRY
                                                                               : COPY_FAILED;
    }
    lstrcpynA(g_staged[index].driverCopy, staged, STAGED_NAME_SIZE);
    if (g_install.driverVersion >= 2) StageVersionCopy(temporary, index);
    return COPY_OK;
}

BOOL CommitDriverFiles(HWND page)
{
    LONG failed = 0;
    if (!PrepareDriverSet(&failed) || !PlaceDriverSet(&failed)) {
        PutBackDriverSet();
        SetDlgItemTextA(page, IDC_COPY_FILE, CopyListEntry(failed));
        DiscardStagedFiles();
        DestinationFailure(page);
        return FALSE;
    }
    for (LONG index = 0; index < MAX_STAGED_FILES; ++index)
        RemoveStagedCopy(FALSE, g_staged[index].oldCopy);
    // Only once the driver directory holds the whole set.
    PlaceVersionCopies();
    return TRUE;
}

void DiscardStagedFiles()
{
    for (LONG index = 0; index < MAX_STAGED_FILES; ++index) RemoveStagedFile(index);
}

void ReportCopyError(HWND owner, int errorCode)
{
    char text[TEXT_BUFFER_SIZE];
    char caption[TEXT_BUFFER_SIZE];
    LoadProgramString(CopyErrorStringId(errorCode), text);
    LoadProgramString(IDS_TITLE_ERROR, caption);
    ShowMessage(owner, text, caption, MESSAGE_STYLE_ERROR);
}
