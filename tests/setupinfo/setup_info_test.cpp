// The setup-information reader against real INF files, read through Wine's
// own profile functions.
#include <gtest/gtest.h>
#include <algorithm>
#include <string>
#include <vector>
#include "platform/install_selection.h"
#include "setupinfo/setup_info.h"
#include "support/test_files.h"

namespace {

typedef std::vector<std::string> Names;

const char kSpoolerDriverDirectory[] = "C:\\windows\\system32\\spool\\drivers\\w32x86\\";

class SetupInfoTest : public testing::Test {
protected:
    void SetUp() override
    {
        ZeroMemory(&g_install, sizeof(g_install));
        g_install.platformRow = 3;
        path = MakeTempFolder("inf") + "\\VP_K20x.INF";
        lstrcpynA(g_install.setupInfoPath, path.c_str(), TEXT_BUFFER_SIZE);
    }
    void WriteInf(const std::string &text) { WriteFileBytes(path, "[VantrelPelzoran]\r\n" + text); }

    // The name at index, "(nothing)" when none was written; the bytes past
    // the 1024-byte buffer must stay untouched.
    std::string ModelAt(WORD index)
    {
        char name[TEXT_BUFFER_SIZE + 16];
        memset(name, 0xCC, sizeof(name));
        ModelNameAt(index, name);
        for (int i = TEXT_BUFFER_SIZE; i < (int)sizeof(name); ++i)
            EXPECT_EQ((char)0xCC, name[i]) << "guard byte " << i;
        return name[0] == (char)0xCC ? "(nothing)" : std::string(name, strnlen(name, TEXT_BUFFER_SIZE));
    }
    Names Models()
    {
        Names names(ModelCount());
        for (size_t i = 0; i < names.size(); ++i) names[i] = ModelAt((WORD)i);
        return names;
    }

    std::string path;
};

TEST_F(SetupInfoTest, ListsQuotedModelsOfRealFiles)
{
    EXPECT_EQ(Names{}, Models()) << "no file";
    WriteFileBytes(path, "[OtherSection]\r\n\"Model\"=SECT\r\n");
    EXPECT_EQ(Names{}, Models()) << "no models section";

    WriteFileBytes(path, "; comment line\r\n[Version]\r\nSignature=\"$Windows NT$\"\r\n\r\n"
             "[VantrelPelzoran]\r\n; another comment\r\n"
             "\"Model One\" = SECT_ONE,HWID1\r\n\"Model Two\"=SECT_TWO\r\n"
             "  \"model one\"   =   SECT_ONE\r\n\r\nUnquoted = SECT_U\r\nY = SECT_Y\r\n");
    // Case twins are both read here; the list filler keeps the first. An
    // unquoted key loses its first and last letters; a one-letter key
    // becomes an empty name rather than running off its start.
    EXPECT_EQ((Names{"Model One", "Model Two", "model one", "nquote", ""}), Models());
    EXPECT_EQ("(nothing)", ModelAt(5));
}

// Fills a stretch of the stack below the caller with a non-zero pattern, so
// that a buffer the reader leaves partly unwritten holds no lucky zeros.
__attribute__((noinline)) void DirtyStack()
{
    volatile char junk[16384];
    for (size_t i = 0; i < sizeof(junk); ++i) junk[i] = 'Z';
}

// Keys of the given lengths (quotes included), each unique.
Names QuotedKeys(const std::vector<int> &lengths)
{
    Names keys;
    for (size_t i = 0; i < lengths.size(); ++i) {
        std::string number = std::to_string(1000 + i);
        keys.push_back("\"" + std::string(lengths[i] - 2 - number.size(), 'M') + number + "\"");
    }
    return keys;
}

// The count reads 1024 bytes of key list, the names 2048. A list cut inside
// a key counts that key, which the name fetch reads whole; one that fits
// with a byte or none to spare is counted whole. Nothing past what the
// reader reports is read, whatever the stack held.
TEST_F(SetupInfoTest, KeyListsAreCountedUpToTheReportedEndOnly)
{
    const struct { const char *what; std::vector<int> lengths; size_t count; } cases[] = {
        {"30 keys of 38 bytes, cut in the 27th", std::vector<int>(30, 38), 27},
        {"127 keys in 1023 bytes", [] { std::vector<int> l(127, 7); std::fill(l.begin(), l.begin() + 6, 8); return l; }(), 127},
        {"127 keys in 1024 bytes", [] { std::vector<int> l(127, 7); std::fill(l.begin(), l.begin() + 7, 8); return l; }(), 127},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        Names keys = QuotedKeys(c.lengths), expected;
        std::string inf;
        for (const std::string &key : keys) {
            inf += key + "=SECT\r\n";
            expected.push_back(key.substr(1, key.size() - 2));
        }
        WriteInf(inf);
        for (int run = 0; run < 3; ++run) {
            if (run == 1) DirtyStack();
            EXPECT_EQ(c.count, ModelCount()) << "run " << run;
        }
        DirtyStack();
        EXPECT_EQ(Names(expected.begin(), expected.begin() + c.count), Models());
    }
}

TEST_F(SetupInfoTest, LongKeysAreNotOffered)
{
    // Alone in the section each key is read whole; one whose quoted form
    // cannot be built again in 1024 bytes is not offered.
    for (size_t length : {1500, 1022, 1021}) {
        std::string key(length, 'K');
        WriteInf("\"" + key + "\"=SECT\r\n");
        EXPECT_EQ(length <= 1021 ? key : "(nothing)", ModelAt(0)) << "length " << length;
    }
}

TEST_F(SetupInfoTest, ReadsInstallDataOfTheChosenModel)
{
    const std::string fitting(1022, 'G');
    WriteInf("\"Five\" = FIVE,HW5\r\n\"Empty fields\" = EMPTY\r\n\"Long\" = LONG\r\n"
             "\"Fitting\" = FITTING\r\n\"No section\" = ,HWID\r\n\"Nothing\" =\r\n"
             "[FIVE]\r\nCopyFiles=@A.DLL,@B.GPD,C.INI,@D.HLP,E.DLL\r\nDataSection=DATA_EMF\r\n"
             "[EMPTY]\r\nCopyFiles=A.DLL,,B.GPD,@,C.INI,\r\nDataSection=DATA_NONE\r\n"
             "[LONG]\r\nCopyFiles=" + std::string(1023, 'F') + "\r\n"
             "[FITTING]\r\nCopyFiles=" + fitting + "\r\n"
             "[OTHER]\r\nCopyFiles=X.DLL\r\nDataSection=DATA_EMF\r\n"
             "[DATA_EMF]\r\nDefaultDataType=NT EMF 1.008\r\n[DATA_NONE]\r\nOther=1\r\n");
    const struct { const char *model; Names copyList; const char *dataType; } cases[] = {
        {"Five", {"A.DLL", "B.GPD", "C.INI", "D.HLP", "E.DLL"}, "NT EMF 1.008"},
        {"Empty fields", {"A.DLL", "B.GPD", "C.INI"}, "RAW"},
        // 1023 characters cannot sit in the 1024-byte list with their
        // terminator and the list's closing empty string.
        {"Long", {}, "RAW"}, {"Fitting", {fitting}, "RAW"},
        // No install section: nothing to copy, not the file's section names.
        {"No section", {}, "RAW"}, {"Nothing", {}, "RAW"},
    };
    for (const auto &c : cases) {
        lstrcpynA(g_install.modelName, c.model, TEXT_BUFFER_SIZE);
        // What an earlier read left must not survive this one.
        memset(g_install.copyList, '#', TEXT_BUFFER_SIZE);
        memset(g_install.defaultDataType, '#', TEXT_BUFFER_SIZE);
        g_install.fileCount = -1;
        ReadInstallData();
        Names copyList;  // names ended by an empty one
        for (const char *name = g_install.copyList; *name; name += lstrlenA(name) + 1) copyList.push_back(name);
        EXPECT_EQ(c.copyList, copyList) << c.model;
        EXPECT_EQ((LONG)c.copyList.size(), g_install.fileCount) << c.model;
        EXPECT_STREQ(c.dataType, g_install.defaultDataType) << c.model;
        EXPECT_EQ(0, lstrcmpiA(kSpoolerDriverDirectory, g_install.driverDirectory));
    }

    // The hardware id stays valid across other reads.
    const char *id = ModelHardwareId("Five");
    ASSERT_TRUE(id != NULL);
    ModelCount();
    ReadInstallData();
    EXPECT_STREQ("HW5", id);
    EXPECT_TRUE(ModelHardwareId("Empty fields") == NULL);
    EXPECT_TRUE(ModelHardwareId("Missing") == NULL);
}

}  // namespace
