// The driver file copier against Wine's real LZ32 and the prefix's own driver
// directory. The DiskFull test runs only under disk-full-test.sh.
#include <gtest/gtest.h>
#include <windows.h>
#include <lzexpand.h>

#include <set>
#include <thread>

#include "copy/copier.h"
#include "copy/copy_harness.h"
#include "platform/platform.h"
#include "support/import_patch.h"

namespace {

typedef std::vector<std::string> Seen;
INT_PTR CALLBACK QuietPageProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
std::string Fixture(const char *name) { return ReadFileBytes(WindowsPath(COPY_FIXTURES) + name); }

class CopierTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(page != NULL);
        ASSERT_EQ("SZDD", packed.substr(0, 4));
    }
    void TearDown() override { DestroyWindow(page); }

    // The messages the call shows, each answered.
    Seen MessagesOf(const std::function<void()> &call)
    {
        Seen seen;
        {
            DialogAnswerer answerer(GetCurrentProcessId(), GetCurrentThreadId(),
                                    ErrorsOkQuestions(IDNO, [&](const std::string &event) { seen.push_back(event); }));
            call();
        }  // joined: seen is complete
        return seen;
    }

    // Stages the file and, when that succeeds, puts what is staged in place;
    // a failed commit counts as a failed copy.
    void ExpectCopy(LONG index, CopyOutcome outcome, const Seen &messages, bool commit = true)
    {
        CopyOutcome copied = COPY_FAILED;
        EXPECT_EQ(messages, MessagesOf([&] {
                      copied = CopyDriverFile(page, index);
                      if (copied == COPY_OK && commit && !CommitDriverFiles(page)) copied = COPY_FAILED;
                  })) << index;
        EXPECT_EQ(outcome, copied) << index;
    }

    HWND page = CreateDialogParamA(ModuleInstance(), "IDD_COPY", NULL, QuietPageProc, 0);
    std::string plain = Fixture("\\plain.bin"), packed = Fixture("\\packed.bin");
};

// Each file is staged in both folders, and nothing installed changes until
// the whole set is put in place.
TEST_F(CopierTest, EveryKindOfSourceIsStagedThenReplacesBothCopiesExpanded)
{
    // PACKED.HLP lies on the medium under its compressed name only.
    EnterMediumWith({{"PLAIN.DLL", plain}, {"PACKED.DLL", packed}, {"PACKED.HL_", packed},
                {"EMPTY.INI", ""}});
    const std::vector<std::string> names = {"PLAIN.DLL", "PACKED.DLL", "PACKED.HLP", "EMPTY.INI"};
    const std::string expected[] = {plain, plain, plain, ""};
    SelectFilesToCopy(names);
    for (const std::string &name : names) {
        WriteFileBytes(DriverPath(name), "stale");
        WriteFileBytes(VersionPath(name), "stale");
    }
    // Read-only, which Windows replaces only once the attribute is cleared.
    for (const std::string &path : {DriverPath("PLAIN.DLL"), VersionPath("PLAIN.DLL")})
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    ImportReplacement move("KERNEL32.dll", "MoveFileExA", MoveFileExA, MoveFileLikeWindows);
    g_realMoveFileEx = move.original;
    const auto installed = InstalledFiles();
    auto files = installed;
    for (LONG index = 0; index < 4; ++index) {
        const std::string &name = names[index];
        files[name] = files["3\\" + name] = expected[index];
        ExpectCopy(index, COPY_OK, {}, false);
        EXPECT_EQ(name, ControlText(page, IDC_COPY_FILE));
        EXPECT_EQ(g_install.driverDirectory, ControlText(page, IDC_COPY_DEST));
        auto staged = InstalledFiles();
        EXPECT_EQ(2 * (index + 1), TakeStagedFiles(&staged)) << name;
        EXPECT_TRUE(installed == staged) << name;
    }
    EXPECT_EQ(Seen{}, MessagesOf([&] { EXPECT_TRUE(CommitDriverFiles(page)); }));
    EXPECT_TRUE(files == InstalledFiles());
}

decltype(&LZOpenFileA) g_realOpen;
Seen g_opened;
INT WINAPI RecordOpen(LPSTR name, LPOFSTRUCT info, WORD style)
{
    g_opened.push_back(name);
    return g_realOpen(name, info, style);
}

bool g_cancelPrompt;
// The open's result once the user has cancelled the prompt for the medium.
INT WINAPI OpenOrCancelPrompt(LPSTR name, LPOFSTRUCT info, WORD style)
{
    return g_cancelPrompt && (style & OF_PROMPT) ? LZERROR_BADINHANDLE : g_realOpen(name, info, style);
}

// A name with a folder in it would be written outside the driver
// directory, a device name opens the device (Wine's OpenFile fails on them,
// so the opens are seen at the import); a path cut to the buffer would name
// another file.
TEST_F(CopierTest, NamesThatAreNotBareAndPathsBeyondTheBufferAreOpenFailures)
{
    ImportReplacement open("LZ32.dll", "LZOpenFileA", LZOpenFileA, RecordOpen);
    ASSERT_TRUE(open.original != NULL);
    g_realOpen = open.original;
    g_opened.clear();
    EnterMediumWith({{"PLAIN.DLL", plain}});
    WriteFileBytes("..\\ESCAPED.DLL", plain);  // beside the medium's folder: it would open
    const std::vector<std::string> refused = {"..\\ESCAPED.DLL", "sub\\PLAIN.DLL", "C:PLAIN.DLL",
                                              "..", "NUL", "nul.dll", "Lpt9.GPD", "CON .INI"};
    std::vector<std::string> names = refused;
    names.push_back("PLAIN.DLL");
    SelectFilesToCopy(names);
    for (LONG index = 0; index < (LONG)refused.size(); ++index)
        ExpectCopy(index, COPY_FAILED, {"Error: File open error."});
    EXPECT_EQ(Seen{}, g_opened);
    EXPECT_FALSE(FileExists(DriverPath("..\\ESCAPED.DLL")));

    std::string directory = "C:\\" + std::string(TEXT_BUFFER_SIZE - 6, 'x') + "\\";
    CopyText(g_install.driverDirectory, directory.c_str());
    ExpectCopy((LONG)refused.size(), COPY_FAILED, {"Error: File open error."});
}

// The source opens through OpenFile, in 127 characters: from a drive's root
// a name of 124 is copied, one of 125 is not. The copies are renamed into
// place, which takes their longer paths.
TEST_F(CopierTest, TheSourcesOpenLimitsANameFromADrivesRoot)
{
    const std::string longest = std::string(120, 'L') + ".DLL", tooLong = "L" + longest;
    for (const std::string &name : {longest, tooLong}) WriteFileBytes("C:\\" + name, plain);
    SetCurrentDirectoryA("C:\\");
    SelectFilesToCopy({longest, tooLong});
    ExpectCopy(0, COPY_OK, {});
    EXPECT_TRUE(ReadFileBytes(VersionPath(longest)) == plain);
    ExpectCopy(1, COPY_FAILED, {"Error: File open error."});
}

TEST(ReservedDeviceNames, AreTheDevicesInAnyCaseWithOrWithoutAnExtension)
{
    for (const char *name : {"CON", "prn.txt", "Aux", "NUL.", "COM1.DLL", "com9", "LPT1.GPD",
                             "lpt9", "CON .INI"})
        EXPECT_TRUE(IsReservedDeviceName(name)) << name;
    for (const char *name : {"COM0", "COM10.DLL", "LPT", "CONX.DLL", "ACON", "NULL", "PLAIN.DLL",
                             "COMA"})
        EXPECT_FALSE(IsReservedDeviceName(name)) << name;
}

// A failed driver-directory query leaves a lone backslash: the files would
// go to the current drive's root. Only an absolute folder path is written to.
TEST_F(CopierTest, ADestinationThatIsNotAnAbsoluteFolderIsRefusedUntouched)
{
    EnterMediumWith({{"PLAIN.DLL", plain}});
    SelectFilesToCopy({"PLAIN.DLL"});
    for (const char *directory : {"\\", "drivers\\", "C:drivers\\", "\\\\", "C:\\x64"}) {
        SCOPED_TRACE(directory);
        CopyText(g_install.driverDirectory, directory);
        ExpectCopy(0, COPY_FAILED, {"Error: Cannot create the destination file."});
        for (const char *written : {"\\PLAIN.DLL", "\\3\\PLAIN.DLL", "drivers\\PLAIN.DLL",
                                    "C:\\x64PLAIN.DLL", "C:\\x643\\PLAIN.DLL"})
            EXPECT_FALSE(FileExists(written)) << written;
    }
    EXPECT_TRUE(IsAbsoluteFolderPath("C:\\windows\\system32\\spool\\drivers\\x64\\"));
    EXPECT_TRUE(IsAbsoluteFolderPath("\\\\server\\print$\\x64\\"));
}

decltype(&CopyLZFile) g_copyBeforeBystander;
HANDLE g_bystander;
// After the copy a new handle is made. Had the copy closed the source, the
// new one takes its number, and a second close of the source closes it.
LONG WINAPI CopyThenOpenBystander(INT source, INT target)
{
    LONG result = g_copyBeforeBystander(source, target);
    g_bystander = CreateEventA(NULL, TRUE, FALSE, NULL);
    return result;
}

TEST_F(CopierTest, EachHandleIsClosedExactlyOnce)
{
    EnterMediumWith({{"PLAIN.DLL", plain}, {"PACKED.DLL", packed}});
    SelectFilesToCopy({"PLAIN.DLL", "PACKED.DLL"});
    ImportReplacement replacement("LZ32.dll", "CopyLZFile", CopyLZFile, CopyThenOpenBystander);
    ASSERT_TRUE(replacement.original != NULL);
    g_copyBeforeBystander = replacement.original;
    for (LONG index : {0, 1}) {
        SCOPED_TRACE(index);
        g_bystander = NULL;
        ExpectCopy(index, COPY_OK, {});
        ASSERT_TRUE(g_bystander != NULL);
        EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(g_bystander, 0)) << "closed by the copier";
        CloseHandle(g_bystander);
        // Nothing left open: the source goes, and the copy opens unshared.
        EXPECT_TRUE(DeleteFileA(index ? "PACKED.DLL" : "PLAIN.DLL"));
        HANDLE copy = CreateFileA(DriverPath(index ? "PACKED.DLL" : "PLAIN.DLL").c_str(),
                                  GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
        EXPECT_NE(INVALID_HANDLE_VALUE, copy);
        CloseHandle(copy);
    }
}

decltype(&CopyLZFile) g_realCopyLZFile;
LONG g_forcedResult;
LONG WINAPI CopyThenReport(INT source, INT target)
{
    LONG result = g_realCopyLZFile(source, target);
    return g_forcedResult ? g_forcedResult : result;
}

// Wine's LZ32 returns none of these codes for real files, so the copy is
// made by the real call and the code reported by a replacement at the import.
TEST_F(CopierTest, EveryCopyErrorCodeShowsItsMessage)
{
    EnterMediumWith({{"PLAIN.DLL", plain}});
    SelectFilesToCopy({"PLAIN.DLL"});
    ImportReplacement replacement("LZ32.dll", "CopyLZFile", CopyLZFile, CopyThenReport);
    ASSERT_TRUE(replacement.original != NULL);
    g_realCopyLZFile = replacement.original;
    const struct {
        LONG code;
        const char *message;
        CopyOutcome outcome;
    } cases[] = {
        {LZERROR_BADINHANDLE, "Cannot read the source file", COPY_RETRY},
        {LZERROR_BADOUTHANDLE, "Cannot create the destination file.", COPY_RETRY},
        {LZERROR_READ, "File has damaged.", COPY_FAILED},
        {LZERROR_WRITE, "Insufficient disk space.", COPY_FAILED},
        {LZERROR_GLOBALLOC, "Memory exhausted.", COPY_FAILED},
        {LZERROR_GLOBLOCK, "Decompression error.", COPY_FAILED},
        {LZERROR_BADVALUE, "Unknown error accured.", COPY_FAILED},
        {LZERROR_UNKNOWNALG, "File has damaged.", COPY_FAILED},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.code);
        g_forcedResult = c.code;
        ExpectCopy(0, c.outcome, {std::string("Error: ") + c.message});
    }
}

// As a running program holds a file it uses: it cannot be replaced.
HANDLE HoldOpen(const std::string &path)
{
    return CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
}

decltype(&GetTempFileNameA) g_realTempFileName;
bool g_noTemporary, g_holdTemporary;
HANDLE g_heldTemporary;
// No right to write in the folder, or no free name left; or a scanner that
// opens the new file the moment it exists.
UINT WINAPI GetTempFileNameOrRefuse(LPCSTR folder, LPCSTR prefix, UINT unique, LPSTR path)
{
    if (g_noTemporary) {
        SetLastError(ERROR_ACCESS_DENIED);
        return 0;
    }
    UINT made = g_realTempFileName(folder, prefix, unique, path);
    if (made && g_holdTemporary && !g_heldTemporary) g_heldTemporary = HoldOpen(path);
    return made;
}

// Each way a copy fails leaves both installed copies as they were and no
// temporary file. Wine's LZ32 never prompts for a missing medium nor reports
// a full disk here, nor does the folder refuse a temporary file, so those
// are put in at the imports (the real full disk is the DiskFull test's).
TEST_F(CopierTest, AFailedCopyLeavesBothInstalledCopiesAsTheyWere)
{
    std::string unknownMethod = packed;
    unknownMethod[8] = 'Q';
    EnterMediumWith({{"PLAIN.DLL", plain}, {"SHORT.DLL", packed.substr(0, packed.size() / 2)},
                     {"METHOD.DLL", unknownMethod}});
    ImportReplacement open("LZ32.dll", "LZOpenFileA", LZOpenFileA, OpenOrCancelPrompt);
    ImportReplacement copy("LZ32.dll", "CopyLZFile", CopyLZFile, CopyThenReport);
    ImportReplacement temporary("KERNEL32.dll", "GetTempFileNameA", GetTempFileNameA,
                                GetTempFileNameOrRefuse);
    ASSERT_TRUE(temporary.original != NULL);
    g_realTempFileName = temporary.original;
    g_realOpen = open.original;
    g_realCopyLZFile = copy.original;
    const struct {
        const char *name, *message;
        bool cancelPrompt = false;
        LONG reported = 0;  // what the copy says instead of its own result
        bool driveRelative = false, inUse = false, noTemporary = false, heldTemporary = false;
    } failures[] = {
        {"MISSING.DLL", "File open error."},
        {"PLAIN.DLL", "File open error.", true},
        {"SHORT.DLL", "File has damaged."},
        {"METHOD.DLL", "File has damaged."},
        {"PLAIN.DLL", "Insufficient disk space.", false, LZERROR_WRITE},
        // More bytes than the staged file holds.
        {"PLAIN.DLL", "Cannot create the destination file.", false, 1},
        // The driver directory without its drive: the current drive's, here the real one.
        {"PLAIN.DLL", "Cannot create the destination file.", false, 0, true},
        // Held for good: refused before anything changes.
        {"PLAIN.DLL", "Cannot create the destination file.", false, 0, false, true},
        {"PLAIN.DLL", "Cannot create the destination file.", false, 0, false, false, true},
        // No file of another name is written instead.
        {"PLAIN.DLL", "Cannot create the destination file.", false, 0, false, false, false, true},
    };
    for (const auto &f : failures) {
        SCOPED_TRACE(std::string(f.name) + " " + f.message);
        SelectFilesToCopy({f.name});
        WriteFileBytes(DriverPath(f.name), "installed");
        WriteFileBytes(VersionPath(f.name), "installed in 3");
        const auto installed = InstalledFiles();
        g_cancelPrompt = f.cancelPrompt;
        g_forcedResult = f.reported;
        g_noTemporary = f.noTemporary;
        g_holdTemporary = f.heldTemporary;
        g_heldTemporary = NULL;
        HANDLE inUse = f.inUse ? HoldOpen(DriverPath(f.name)) : NULL;
        if (f.driveRelative) CopyText(g_install.driverDirectory, DriverPath("").substr(2).c_str());
        ExpectCopy(0, COPY_FAILED, {std::string("Error: ") + f.message});
        for (HANDLE held : {inUse, g_heldTemporary})
            if (held) CloseHandle(held);
        SelectFilesToCopy({f.name});
        EXPECT_TRUE(installed == InstalledFiles());
    }
    g_cancelPrompt = g_noTemporary = g_holdTemporary = false;
    g_forcedResult = 0;

    // The version folder's copy in use stays, silently: the spooler puts the
    // driver directory's copy there itself when the driver is registered.
    HANDLE inUse = HoldOpen(VersionPath("PLAIN.DLL"));
    auto files = InstalledFiles();
    files["PLAIN.DLL"] = plain;
    ExpectCopy(0, COPY_OK, {});
    CloseHandle(inUse);
    EXPECT_TRUE(files == InstalledFiles());

    // The staged file held for a moment, as a virus scanner holds a new
    // file: it goes in once let go.
    WriteFileBytes(DriverPath("PLAIN.DLL"), "installed");
    ExpectCopy(0, COPY_OK, {}, false);
    std::string staged;
    for (const auto &file : FolderFiles(DriverPath(".")))
        if (file.first.compare(0, 3, "VPK") == 0) staged = file.first;
    HANDLE briefly = HoldOpen(DriverPath(staged));
    std::thread release([briefly] {
        Sleep(300);
        CloseHandle(briefly);
    });
    EXPECT_EQ(Seen{}, MessagesOf([&] { EXPECT_TRUE(CommitDriverFiles(page)); }));
    release.join();
    files["3\\PLAIN.DLL"] = plain;
    EXPECT_TRUE(files == InstalledFiles());
}

// The file's number on its volume, whatever handle or name reaches it.
ULONGLONG IdOf(HANDLE file)
{
    BY_HANDLE_FILE_INFORMATION info = {};
    GetFileInformationByHandle(file, &info);
    return (ULONGLONG)info.nFileIndexHigh << 32 | info.nFileIndexLow;
}

decltype(&FlushFileBuffers) g_realFlush;
decltype(&MoveFileExA) g_realReplace;
std::set<ULONGLONG> g_flushed;
Seen g_replaces;
BOOL WINAPI RecordFlush(HANDLE file)
{
    g_flushed.insert(IdOf(file));
    return g_realFlush(file);
}

// Notes each rename with whether its file's data was flushed before.
BOOL WINAPI RecordReplace(LPCSTR from, LPCSTR to, DWORD flags)
{
    HANDLE file = CreateFileA(from, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              NULL, OPEN_EXISTING, 0, NULL);
    bool flushed = g_flushed.count(IdOf(file)) > 0;
    CloseHandle(file);
    g_replaces.push_back(std::string(to + lstrlenA(g_install.driverDirectory)) +
                         (flushed ? " flushed" : "") +
                         (flags & MOVEFILE_REPLACE_EXISTING ? " replacing" : ""));
    return g_realReplace(from, to, flags);
}

// A power cut after the rename must not leave a file of the right name
// whose data never reached the disk.
TEST_F(CopierTest, EveryStagedFileIsFlushedBeforeItIsPutInPlace)
{
    ImportReplacement flush("KERNEL32.dll", "FlushFileBuffers", FlushFileBuffers, RecordFlush);
    ImportReplacement replace("KERNEL32.dll", "MoveFileExA", MoveFileExA, RecordReplace);
    ASSERT_TRUE(flush.original && replace.original);
    g_realFlush = flush.original;
    g_realReplace = replace.original;
    EnterMediumWith({{"PLAIN.DLL", plain}, {"PACKED.DLL", packed}});
    SelectFilesToCopy({"PLAIN.DLL", "PACKED.DLL"});
    ExpectCopy(0, COPY_OK, {}, false);
    ExpectCopy(1, COPY_OK, {});
    EXPECT_EQ((Seen{"PLAIN.DLL flushed replacing", "PACKED.DLL flushed replacing",
                    "3\\PLAIN.DLL flushed replacing", "3\\PACKED.DLL flushed replacing"}),
              g_replaces);
}

// Only names of the exact shape the copier's temporary files have go.
TEST_F(CopierTest, LeftoversOfAnInterruptedCopyAreRemovedAndNothingElse)
{
    const Seen leftovers = {"VPK12.tmp", "VPKdba.tmp", "VPKFFFF.TMP", "vpk0.Tmp"};
    // A soft hyphen is ignored by the locale's comparison.
    const Seen others = {"VPK.tmp", "VPK12345.tmp", "VPKxyz.tmp", "XVPK12.tmp", "VPK12.tmp.bak",
                         "VPK12.dll", "UNIDRV.DLL", "VPK12.t\xADmp"};
    SelectFilesToCopy({});
    for (const std::string &folder : {DriverPath(""), VersionPath("")})
        for (const Seen &names : {leftovers, others})
            for (const std::string &name : names) WriteFileBytes(folder + name, name);
    SelectFilesToCopy({});
    for (const std::string &folder : {DriverPath(""), VersionPath("")}) {
        for (const std::string &name : leftovers) EXPECT_FALSE(FileExists(folder + name)) << name;
        for (const std::string &name : others) EXPECT_EQ(name, ReadFileBytes(folder + name));
    }
}

// disk-full-test.sh gives the driver directory 256 KiB.
TEST_F(CopierTest, DiskFullReportsInsufficientSpace)
{
    EnterMediumWith({{"LARGE.DLL", std::string(4 << 20, 'x')}});
    SelectFilesToCopy({"LARGE.DLL"});
    WriteFileBytes(DriverPath("LARGE.DLL"), "installed");
    WriteFileBytes(VersionPath("LARGE.DLL"), "installed in 3");
    const auto installed = InstalledFiles();
    ExpectCopy(0, COPY_FAILED, {"Error: Insufficient disk space."});
    EXPECT_TRUE(installed == InstalledFiles());
}

}  // namespace
