// The driver file copier against Wine's real LZ32 and the prefix's own driver
// directory. The DiskFull test runs only under disk-full-test.sh.
#include <gtest/gtest.h>
#include <windows.h>
#include <lzexpand.h>

#include "copy/copier.h"
#include "copy/copy_harness.h"
#include "shell/platform.h"
#include "support/import_patch.h"

namespace {

typedef std::vector<std::string> Seen;
INT_PTR CALLBACK QuietPageProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
std::string Fixture(const char *name) { return ReadFileBytes(WindowsPath(COPY_FIXTURES) + name); }
std::string DriverPath(const std::string &name) { return g_install.driverDirectory + name; }
std::string VersionPath(const std::string &name) { return DriverPath("3\\" + name); }

class CopierTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(page != NULL);
        ASSERT_EQ("SZDD", packed.substr(0, 4));
    }
    void TearDown() override { DestroyWindow(page); }

    void ExpectCopy(LONG index, CopyOutcome outcome, const Seen &messages)
    {
        Seen seen;
        {
            DialogAnswerer answerer(GetCurrentProcessId(), GetCurrentThreadId(),
                                    ErrorsOkQuestions(IDNO, [&](const std::string &event) { seen.push_back(event); }));
            EXPECT_EQ(outcome, CopyDriverFile(page, index)) << index;
        }  // joined: seen is complete
        EXPECT_EQ(messages, seen) << index;
    }

    HWND page = CreateDialogParamA(ModuleInstance(), "IDD_COPY", NULL, QuietPageProc, 0);
    std::string plain = Fixture("\\plain.bin"), packed = Fixture("\\packed.bin");
};

TEST_F(CopierTest, EveryKindOfSourceReplacesBothCopiesExpanded)
{
    // PACKED.HLP lies on the medium under its compressed name only.
    EnterMediumWith({{"PLAIN.DLL", plain}, {"PACKED.DLL", packed}, {"PACKED.HL_", packed},
                {"EMPTY.INI", ""}});
    const std::vector<std::string> names = {"PLAIN.DLL", "PACKED.DLL", "PACKED.HLP", "EMPTY.INI"};
    const std::string expected[] = {plain, plain, plain, ""};
    SelectFilesToCopy(names);
    for (LONG index = 0; index < 4; ++index) {
        const std::string &name = names[index];
        WriteFileBytes(DriverPath(name), "stale");
        WriteFileBytes(VersionPath(name), "stale");
        ExpectCopy(index, COPY_OK, {});
        EXPECT_EQ(name, ControlText(page, IDC_COPY_FILE));
        EXPECT_EQ(g_install.driverDirectory, ControlText(page, IDC_COPY_DEST));
        EXPECT_TRUE(ReadFileBytes(DriverPath(name)) == expected[index]) << name;
        EXPECT_TRUE(ReadFileBytes(VersionPath(name)) == expected[index]) << name;
    }
}

// Wine's LZ32 expands a truncated file short and one of an unknown method to
// nothing, without an error; the copier must see through both.
TEST_F(CopierTest, MissingAndDamagedSourcesFail)
{
    std::string unknownMethod = packed;
    unknownMethod[8] = 'Q';
    EnterMediumWith({{"SHORT.DLL", packed.substr(0, packed.size() / 2)}, {"METHOD.DLL", unknownMethod}});
    SelectFilesToCopy({"MISSING.DLL", "SHORT.DLL", "METHOD.DLL"});
    ExpectCopy(0, COPY_FAILED, {"Error: File open error."});
    ExpectCopy(1, COPY_FAILED, {"Error: File has damaged."});
    ExpectCopy(2, COPY_FAILED, {"Error: File has damaged."});
    // The partial file of a failed expansion is left in both places.
    EXPECT_TRUE(FileExists(DriverPath("SHORT.DLL")) && FileExists(VersionPath("SHORT.DLL")));
}

decltype(&LZOpenFileA) g_realOpen;
Seen g_opened;
INT WINAPI RecordOpen(LPSTR name, LPOFSTRUCT info, WORD style)
{
    g_opened.push_back(name);
    return g_realOpen(name, info, style);
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
    g_realCopyLZFile(source, target);
    return g_forcedResult;
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
        EXPECT_TRUE(FileExists(DriverPath("PLAIN.DLL")) && FileExists(VersionPath("PLAIN.DLL")));
    }
}

// disk-full-test.sh gives the driver directory 256 KiB.
TEST_F(CopierTest, DiskFullReportsInsufficientSpace)
{
    EnterMediumWith({{"LARGE.DLL", std::string(4 << 20, 'x')}});
    SelectFilesToCopy({"LARGE.DLL"});
    ExpectCopy(0, COPY_FAILED, {"Error: Insufficient disk space."});
}

}  // namespace
