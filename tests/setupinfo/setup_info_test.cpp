// The setup-information reader against real INF files, read through Wine's
// own profile functions.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "setupinfo/install_selection.h"
#include "setupinfo/setup_info.h"
#include "shell/platform.h"
#include "spooler/spooler.h"
#include "support/test_files.h"

namespace {

class SetupInfoTest : public testing::Test {
protected:
    void SetUp() override
    {
        ZeroMemory(&g_install, sizeof(g_install));
        g_install.platformRow = 3;
        folder = MakeTempFolder("inf");
        path = folder + "\\VP_K20x.INF";
        lstrcpynA(g_install.setupInfoPath, path.c_str(), TEXT_BUFFER_SIZE);
    }

    void WriteInf(const std::string &text) { WriteFileBytes(path, text); }

    std::vector<std::string> Models()
    {
        std::vector<std::string> names;
        WORD count = ModelCount();
        for (WORD i = 0; i < count; ++i) {
            char name[TEXT_BUFFER_SIZE] = "(untouched)";
            ModelNameAt(i, name);
            names.push_back(name);
        }
        return names;
    }

    std::vector<std::string> CopyList()
    {
        std::vector<std::string> names;
        for (const char *name = g_install.copyList; *name; name += lstrlenA(name) + 1)
            names.push_back(name);
        return names;
    }

    std::string HardwareId(const char *model)
    {
        const char *id = ModelHardwareId(model);
        return id ? id : "(none)";
    }

    void Choose(const char *model)
    {
        lstrcpynA(g_install.modelName, model, TEXT_BUFFER_SIZE);
        ASSERT_TRUE(ReadInstallData());
    }

    std::string folder, path;
};

TEST_F(SetupInfoTest, ListsQuotedModelsOfRealFiles)
{
    WriteInf("; comment line\r\n"
             "[Version]\r\nSignature=\"$Windows NT$\"\r\n\r\n"
             "[VantrelPelzoran]\r\n"
             "; another comment\r\n"
             "\"Model One\" = SECT_ONE,HWID1\r\n"
             "\"Model Two\"=SECT_TWO\r\n"
             "  \"model one\"   =   SECT_ONE\r\n"
             "\r\n"
             "\"X\" = SECT_X\r\n"
             "Unquoted = SECT_U\r\n"
             "Y = SECT_Y\r\n");
    // Case twins are both read here; the list filler keeps the first. An
    // unquoted key loses its first and last letters; a one-letter key
    // becomes an empty name rather than running off its start.
    std::vector<std::string> expected = {"Model One", "Model Two", "model one", "X", "nquote", ""};
    EXPECT_EQ(expected, Models());
}

// No file, no models section, an index past the models: no name is written.
TEST_F(SetupInfoTest, MissingFileOrSectionListsNothing)
{
    EXPECT_TRUE(Models().empty());
    WriteInf("[OtherSection]\r\n\"Model\"=SECT\r\n");
    EXPECT_TRUE(Models().empty());
    WriteInf("[VantrelPelzoran]\r\n\"Only\"=SECT\r\n");
    char name[TEXT_BUFFER_SIZE] = "(untouched)";
    ModelNameAt(1, name);
    EXPECT_STREQ("(untouched)", name);
}

TEST_F(SetupInfoTest, LongKeyListsNeverOverflowAndDropCutKeys)
{
    // 60 keys of 20 characters: more than the 1024 bytes that count models.
    std::string inf = "[VantrelPelzoran]\r\n";
    for (int i = 0; i < 60; ++i) {
        char line[64];
        snprintf(line, sizeof(line), "\"Model number %04d\"=SECT\r\n", i);
        inf += line;
    }
    // A key longer than a name buffer, still inside the 2048 bytes of names.
    inf += "\"" + std::string(1500, 'L') + "\"=SECT\r\n";
    WriteInf(inf);

    WORD count = ModelCount();
    EXPECT_GT(count, 40);
    EXPECT_LT(count, 60);
    for (WORD i = 0; i < count; ++i) {
        char name[TEXT_BUFFER_SIZE + 16];
        memset(name, 0xCC, sizeof(name));
        ModelNameAt(i, name);
        char expected[32];
        snprintf(expected, sizeof(expected), "Model number %04d", i);
        EXPECT_STREQ(expected, name) << "index " << i;
    }

    // Alone in the section, each key is read whole: one whose quoted form
    // cannot be built again in 1024 bytes is not offered.
    const struct {
        std::string name;
        bool offered;
    } cases[] = {{std::string(1500, 'L'), false},
                 {std::string(1022, 'N'), false},
                 {std::string(1021, 'M'), true}};
    for (const auto &c : cases) {
        WriteInf("[VantrelPelzoran]\r\n\"" + c.name + "\"=SECT\r\n");
        char name[TEXT_BUFFER_SIZE + 16];
        memset(name, 0xCC, sizeof(name));
        ModelNameAt(0, name);
        if (c.offered)
            EXPECT_TRUE(c.name == name) << "length " << c.name.size();
        else
            EXPECT_EQ((char)0xCC, name[0]) << "length " << c.name.size();
        for (int i = TEXT_BUFFER_SIZE; i < TEXT_BUFFER_SIZE + 16; ++i)
            ASSERT_EQ((char)0xCC, name[i]) << "guard byte " << i;
    }
}

TEST_F(SetupInfoTest, ReadsInstallDataOfTheChosenModel)
{
    WriteInf("[VantrelPelzoran]\r\n"
             "\"Five\" = FIVE,HW5\r\n"
             "\"Two\" = TWO,,HW2\r\n"
             "\"Blank\" = BLANK\r\n"
             "[FIVE]\r\nCopyFiles=@A.DLL,@B.GPD,C.INI,@D.HLP,E.DLL\r\nDataSection=DATA_EMF\r\n"
             "[TWO]\r\nCopyFiles = A.DLL, B.GPD\r\nDataSection = DATA_NONE\r\n"
             "[BLANK]\r\nCopyFiles=A.DLL\r\n"
             "[DATA_EMF]\r\nDefaultDataType=NT EMF 1.008\r\n"
             "[DATA_NONE]\r\nOther=1\r\n");

    Choose("Five");
    EXPECT_EQ((std::vector<std::string>{"A.DLL", "B.GPD", "C.INI", "D.HLP", "E.DLL"}), CopyList());
    EXPECT_EQ(5, g_install.fileCount);
    EXPECT_STREQ("NT EMF 1.008", g_install.defaultDataType);

    // Revisiting with a shorter list leaves exactly the new names; a blank
    // after a comma belongs to the name.
    Choose("Two");
    EXPECT_EQ((std::vector<std::string>{"A.DLL", " B.GPD"}), CopyList());
    EXPECT_EQ(2, g_install.fileCount);
    EXPECT_STREQ("RAW", g_install.defaultDataType);

    Choose("Blank");
    EXPECT_STREQ("RAW", g_install.defaultDataType) << "no data section at all";

    char directory[TEXT_BUFFER_SIZE] = "";
    ASSERT_TRUE(GetDriverDirectory(directory));
    EXPECT_EQ(std::string(directory) + "\\", g_install.driverDirectory);
    EXPECT_EQ(0, lstrcmpiA("C:\\windows\\system32\\spool\\drivers\\w32x86\\",
                           g_install.driverDirectory));

    EXPECT_EQ("HW5", HardwareId("Five"));
    EXPECT_EQ("HW2", HardwareId("Two")) << "a run of commas separates like one";
    EXPECT_EQ("(none)", HardwareId("Blank"));
    EXPECT_EQ("(none)", HardwareId("Missing"));
    EXPECT_EQ("(none)", HardwareId(std::string(1100, 'Z').c_str()));
}

TEST_F(SetupInfoTest, HardwareIdOutlivesTheCall)
{
    WriteInf("[VantrelPelzoran]\r\n\"M\" = SECT,HWID-M\r\n");
    const char *id = ModelHardwareId("M");
    ASSERT_TRUE(id != NULL);
    ModelCount();
    Choose("M");
    EXPECT_STREQ("HWID-M", id);
}

TEST_F(SetupInfoTest, FaultyCopyFilesValuesStayInsideTheList)
{
    std::string longName(1023, 'F');
    std::string fitting(1022, 'G');
    WriteInf("[VantrelPelzoran]\r\n"
             "\"Empty fields\" = EMPTY\r\n"
             "\"Long\" = LONG\r\n"
             "\"Fitting\" = FITTING\r\n"
             "\"No section\" = ,HWID\r\n"
             "\"Nothing\" =\r\n"
             "[EMPTY]\r\nCopyFiles=A.DLL,,B.GPD,@,C.INI,\r\n"
             "[LONG]\r\nCopyFiles=" + longName + "\r\n"
             "[FITTING]\r\nCopyFiles=" + fitting + "\r\n"
             "[OTHER]\r\nCopyFiles=X.DLL\r\nDataSection=DATA\r\n"
             "[DATA]\r\nDefaultDataType=NT EMF 1.008\r\n");

    Choose("Empty fields");
    EXPECT_EQ((std::vector<std::string>{"A.DLL", "B.GPD", "C.INI"}), CopyList());
    EXPECT_EQ(3, g_install.fileCount);

    // A name of 1023 characters cannot sit in the 1024-byte list with its
    // terminator and the list's closing empty string.
    Choose("Long");
    EXPECT_EQ(0, g_install.fileCount);
    EXPECT_TRUE(CopyList().empty());
    Choose("Fitting");
    EXPECT_EQ(1, g_install.fileCount);
    EXPECT_EQ((std::vector<std::string>{fitting}), CopyList());

    // No install section: nothing to copy, not the file's section names.
    for (const char *model : {"No section", "Nothing"}) {
        Choose(model);
        EXPECT_EQ(0, g_install.fileCount) << model;
        EXPECT_TRUE(CopyList().empty()) << model;
        EXPECT_STREQ("RAW", g_install.defaultDataType) << model;
    }
}

TEST_F(SetupInfoTest, PathIsTheProgramFolderAndTheRowsFile)
{
    g_install.setupInfoPath[0] = '\0';
    EXPECT_EQ(ProgramFolder() + "VP_K20x.INF", SetupInfoPath());
    EXPECT_EQ(SetupInfoPath(), g_install.setupInfoPath) << "cached";
}

}  // namespace
