// The driver file copier against Wine's real LZ32 and the prefix's own
// driver directory, with the copy page's template as its window.
#include <gtest/gtest.h>
#include <windows.h>
#include <lzexpand.h>

#include "copy/copier.h"
#include "copy/copy_harness.h"
#include "resource.h"
#include "setupinfo/install_selection.h"
#include "support/import_patch.h"
#include "support/test_files.h"
#include "support/windows_driver.h"

namespace {

class CopierTest : public testing::Test {
protected:
    void SetUp() override
    {
        page = MakeQuietCopyPage();
        ASSERT_TRUE(page != NULL);
        plain = Fixture("plain.bin");
        packed = Fixture("packed.bin");
        ASSERT_FALSE(plain.empty());
        ASSERT_EQ("SZDD", packed.substr(0, 4));
    }
    void TearDown() override { DestroyWindow(page); }

    void ExpectInBothPlaces(const std::string &name)
    {
        EXPECT_TRUE(FileExists(DriverPath(name))) << name;
        EXPECT_TRUE(FileExists(VersionPath(name))) << name;
    }

    HWND page = NULL;
    std::string plain, packed;
};

TEST_F(CopierTest, EveryKindOfSourceArrivesExpandedInBothPlaces)
{
    struct Case {
        std::string listName, storedName, stored, expected;
    } cases[] = {
        {"PLAIN.DLL", "PLAIN.DLL", plain, plain},
        {"PACKED.DLL", "PACKED.DLL", packed, plain},
        {"PACKED.HLP", "PACKED.HL_", packed, plain},
        {"EMPTY.INI", "EMPTY.INI", "", ""},
    };
    std::map<std::string, std::string> medium;
    std::vector<std::string> names;
    for (const Case &c : cases) {
        medium[c.storedName] = c.stored;
        names.push_back(c.listName);
    }
    MakeMedium(medium);
    PrepareInstall(names);
    DialogAnswerer answerer;
    for (LONG index = 0; index < 4; ++index) {
        const Case &c = cases[index];
        SCOPED_TRACE(c.listName);
        WriteFileBytes(DriverPath(c.listName), "stale");
        WriteFileBytes(VersionPath(c.listName), "stale");
        EXPECT_EQ(COPY_OK, CopyDriverFile(page, index));
        EXPECT_EQ(c.listName, ControlText(page, IDC_COPY_FILE));
        EXPECT_EQ(g_install.driverDirectory, ControlText(page, IDC_COPY_DEST));
        ExpectInBothPlaces(c.listName);
        EXPECT_TRUE(ReadFileBytes(DriverPath(c.listName)) == c.expected);
        EXPECT_TRUE(ReadFileBytes(VersionPath(c.listName)) == c.expected);
    }
    EXPECT_TRUE(answerer.Seen().empty());
}

// Wine's LZ32 expands a truncated file short and one of an unknown method to
// nothing, without an error; the copier must see through both.
TEST_F(CopierTest, MissingAndDamagedSourcesFail)
{
    std::string unknownMethod = packed;
    unknownMethod[8] = 'Q';
    MakeMedium({{"SHORT.DLL", packed.substr(0, packed.size() / 2)}, {"METHOD.DLL", unknownMethod}});
    PrepareInstall({"MISSING.DLL", "SHORT.DLL", "METHOD.DLL"});
    const char *messages[] = {"Error: File open error.", "Error: File has damaged.",
                              "Error: File has damaged."};
    for (LONG index = 0; index < 3; ++index) {
        DialogAnswerer answerer;
        EXPECT_EQ(COPY_FAILED, CopyDriverFile(page, index));
        EXPECT_EQ(std::vector<std::string>{messages[index]}, answerer.Seen());
    }
    ExpectInBothPlaces("SHORT.DLL");
}

// A name with a folder in it would be written outside the driver
// directory; a path beyond the buffer would name another file.
TEST_F(CopierTest, NamesThatAreNotBareAndPathsBeyondTheBufferAreOpenFailures)
{
    MakeMedium({{"PLAIN.DLL", plain}});
    WriteFileBytes("..\\ESCAPED.DLL", plain);  // beside the medium's folder: it would open
    PrepareInstall({"..\\ESCAPED.DLL", "sub\\PLAIN.DLL", "C:PLAIN.DLL", "..", "PLAIN.DLL"});
    for (LONG index = 0; index < 4; ++index) {
        DialogAnswerer answerer;
        EXPECT_EQ(COPY_FAILED, CopyDriverFile(page, index)) << index;
        EXPECT_EQ(std::vector<std::string>{"Error: File open error."}, answerer.Seen());
    }
    EXPECT_FALSE(FileExists(std::string(g_install.driverDirectory) + "..\\ESCAPED.DLL"));

    std::string directory = "C:\\" + std::string(TEXT_BUFFER_SIZE - 6, 'x') + "\\";
    CopyText(g_install.driverDirectory, directory.c_str());
    DialogAnswerer answerer;
    EXPECT_EQ(COPY_FAILED, CopyDriverFile(page, 4));
    EXPECT_EQ(std::vector<std::string>{"Error: File open error."}, answerer.Seen());
}

typedef LONG(WINAPI *CopyLZFileFunction)(INT, INT);
CopyLZFileFunction g_realCopyLZFile;
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
    MakeMedium({{"PLAIN.DLL", plain}});
    PrepareInstall({"PLAIN.DLL"});
    ImportReplacement replacement("LZ32.dll", "CopyLZFile", (void *)CopyThenReport);
    ASSERT_TRUE(replacement.original != NULL);
    g_realCopyLZFile = (CopyLZFileFunction)replacement.original;
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
        {-9, "Unknown error accured.", COPY_FAILED},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.code);
        g_forcedResult = c.code;
        DialogAnswerer answerer;
        EXPECT_EQ(c.outcome, CopyDriverFile(page, 0));
        EXPECT_EQ(std::vector<std::string>{std::string("Error: ") + c.message}, answerer.Seen());
        ExpectInBothPlaces("PLAIN.DLL");
    }
}

}  // namespace
