// The medium check on media made for each finding: each gives its finding
// and no unrelated one. Files are the sample medium's, damaged here.
#include <gtest/gtest.h>
#include <cstdlib>
#include <string>
#include "medcheck/findings.h"
#include "medcheck/medium_check.h"
#include "support/processes.h"
#include "support/test_files.h"

namespace {

const char kModels[] = "[VantrelPelzoran]\r\n";
const char kGoodModel[] = "\"Model A\" = SECT_A,HWID_A\r\n";
const char kGoodSections[] =
    "[SECT_A]\r\n"
    "CopyFiles=@UNIDRV.DLL,@UNIDRVUI.DLL,@UNIDRV.HLP,@VP_K20x.GPD,@VP_K20x.DLL\r\n"
    "DataSection=DATA_A\r\n"
    "[DATA_A]\r\nDefaultDataType=RAW\r\n";
const char *const kSampleFiles[] = {"UNIDRV.DLL", "UNIDRVUI.DLL", "UNIDRV.HL_", "VP_K20x.GPD",
                                    "VP_K20x.DLL"};

std::string GoodInf() { return std::string(kModels) + kGoodModel + kGoodSections; }

// A medium of the sample's files and the given INF.
std::string MakeMedium(const std::string &inf)
{
    std::string folder = MakeTempFolder("medium");
    for (const char *name : kSampleFiles)
        CopyFileA((SampleMediumFolder() + "\\" + name).c_str(), (folder + "\\" + name).c_str(),
                  FALSE);
    WriteFileBytes(folder + "\\VP_K20x.INF", inf);
    return folder;
}

// Every finding is of this severity and says this; there is at least one.
void ExpectOnly(const std::string &folder, Severity severity, const char *says)
{
    CheckMedium(folder.c_str());
    ASSERT_GT(FindingCount(), 0) << "expected: " << says;
    for (int i = 0; i < FindingCount(); ++i) {
        const Finding *finding = FindingAt(i);
        EXPECT_EQ(severity, finding->severity) << finding->subject << ": " << finding->text;
        EXPECT_NE(std::string::npos, std::string(finding->text).find(says))
            << finding->subject << ": " << finding->text;
    }
}

TEST(MediumCheck, TheSampleMediumHasNoError)
{
    EXPECT_EQ(MEDIUM_OK, CheckMedium(SampleMediumFolder().c_str()));
    EXPECT_EQ(0, ErrorCount());
    EXPECT_EQ(MEDIUM_OK, CheckMedium(MakeMedium(GoodInf()).c_str()));
    EXPECT_EQ(0, FindingCount());
}

TEST(MediumCheck, ModelKeysTheWizardWouldListWrongly)
{
    ExpectOnly(MakeMedium("[Other]\r\n" + std::string(kGoodSections)), FINDING_ERROR,
               "models section [VantrelPelzoran] is missing");
    ExpectOnly(MakeMedium(std::string(kModels) + kGoodSections), FINDING_ERROR, "lists no models");
    ExpectOnly(MakeMedium(std::string(kModels) + "Model A = SECT_A,HWID_A\r\n" + kGoodSections),
               FINDING_ERROR, "not quoted");
    ExpectOnly(MakeMedium(std::string(kModels) + kGoodModel + "\"\" = SECT_A,HWID_A\r\n" +
                          kGoodSections),
               FINDING_ERROR, "shorter than three");
    ExpectOnly(MakeMedium(std::string(kModels) + kGoodModel + "\"MODEL a\" = SECT_A,HWID_A\r\n" +
                          kGoodSections),
               FINDING_ERROR, "only in letter case");

    std::string many = kModels;
    for (int i = 0; i < 60; ++i)
        many += "\"Model " + std::to_string(1000 + i) + " long name\" = SECT_A,HWID_A\r\n";
    ExpectOnly(MakeMedium(many + kGoodSections), FINDING_ERROR, "longer than the 1024 bytes");
}

TEST(MediumCheck, ModelLinesAndSections)
{
    ExpectOnly(MakeMedium(std::string(kModels) + "\"Model A\" =\r\n" + kGoodSections),
               FINDING_ERROR, "names no install section");
    // Leading commas separate like one: the hardware id is taken as the section.
    ExpectOnly(MakeMedium(std::string(kModels) + "\"Model A\" = ,HWID_A\r\n" + kGoodSections),
               FINDING_ERROR, "[HWID_A] does not exist");
    ExpectOnly(MakeMedium(std::string(kModels) + "\"Model A\" = SECT_B,HWID_A\r\n" +
                          kGoodSections),
               FINDING_ERROR, "[SECT_B] does not exist");
    ExpectOnly(MakeMedium(std::string(kModels) + "\"Model A\" = SECT_A\r\n" + kGoodSections),
               FINDING_WARNING, "no hardware id");

    std::string noDataType = GoodInf();
    noDataType.replace(noDataType.find("DefaultDataType=RAW"), 19, "Other=1");
    ExpectOnly(MakeMedium(noDataType), FINDING_WARNING, "has no DefaultDataType");
    std::string noDataSection = GoodInf();
    noDataSection.replace(noDataSection.find("DataSection=DATA_A"), 18, "DataSection=DATA_B");
    ExpectOnly(MakeMedium(noDataSection), FINDING_WARNING, "DATA_B is missing");

    for (const char *name : {"Model, A", "Model\\A"}) {
        std::string inf = GoodInf();
        inf.replace(inf.find("Model A"), 7, name);
        ExpectOnly(MakeMedium(inf), FINDING_ERROR, strchr(name, ',') ? "comma" : "backslash");
    }
    std::string longName = GoodInf();
    longName.replace(longName.find("Model A"), 7, std::string(230, 'M'));
    ExpectOnly(MakeMedium(longName), FINDING_ERROR, "more than the 220");
}

TEST(MediumCheck, CopyFilesValues)
{
    const char *files = "@UNIDRV.DLL,@UNIDRVUI.DLL,@UNIDRV.HLP,@VP_K20x.GPD,@VP_K20x.DLL";
    auto withCopyFiles = [&](const std::string &value) {
        std::string inf = GoodInf();
        inf.replace(inf.find(files), strlen(files), value);
        return MakeMedium(inf);
    };
    ExpectOnly(withCopyFiles(""), FINDING_ERROR, "CopyFiles is missing or empty");
    ExpectOnly(withCopyFiles(std::string(files) + ",,"), FINDING_WARNING, "empty field");
    ExpectOnly(withCopyFiles("@UNIDRV.DLL,@UNIDRVUI.DLL,@UNIDRV.HLP,@VP_K20x.DLL"), FINDING_ERROR,
               "VP_K20x.GPD is not in CopyFiles");

    // A value the 1024-byte read holds whole (1023 characters, no @) whose
    // names and terminators need 1025 bytes: the last name is dropped.
    std::string crowded = "UNIDRV.DLL,UNIDRVUI.DLL,UNIDRV.HLP,VP_K20x.GPD,VP_K20x.DLL,";
    crowded += std::string(1023 - crowded.size() - 4, 'C') + ".INI";
    ASSERT_EQ(1023u, crowded.size());
    std::string folder = withCopyFiles(crowded);
    WriteFileBytes(folder + "\\" + crowded.substr(crowded.rfind(',') + 1), "model data\r\n");
    ExpectOnly(folder, FINDING_ERROR, "do not fit the wizard's 1024-byte copy list");

    // Longer than the read: the cut also leaves a name cut short, which the
    // medium does not hold.
    std::string tooLong = files;
    while (tooLong.size() < 1100) tooLong += ",@VP_K20x.DLL";
    CheckMedium(withCopyFiles(tooLong).c_str());
    ASSERT_EQ(2, ErrorCount());
    EXPECT_NE(nullptr, strstr(FindingAt(0)->text, "reads only the first 1023"));
    EXPECT_NE(nullptr, strstr(FindingAt(1)->text, "is not in the medium's folder"));
}

TEST(MediumCheck, FilesOnTheMedium)
{
    std::string missing = MakeMedium(GoodInf());
    DeleteFileA((missing + "\\UNIDRV.HL_").c_str());
    ExpectOnly(missing, FINDING_ERROR, "neither as UNIDRV.HLP nor as UNIDRV.HL_");

    // Wine's LZ32 expands these without a word; the check must not.
    std::string packed = ReadFileBytes(SampleMediumFolder() + "\\UNIDRV.DLL");
    ASSERT_EQ(0, packed.compare(0, 4, "SZDD"));
    std::string truncated = MakeMedium(GoodInf());
    WriteFileBytes(truncated + "\\UNIDRV.DLL", packed.substr(0, packed.size() / 2));
    ExpectOnly(truncated, FINDING_ERROR, "damaged");
    std::string unknownMethod = packed;
    unknownMethod[8] = 'Q';
    std::string strange = MakeMedium(GoodInf());
    WriteFileBytes(strange + "\\UNIDRV.DLL", unknownMethod);
    ExpectOnly(strange, FINDING_ERROR, "damaged");

    std::string noDate = MakeMedium(GoodInf());
    std::string inf = GoodInf();
    inf.replace(inf.find(",@VP_K20x.DLL"), 13, "");
    WriteFileBytes(noDate + "\\VP_K20x.INF", inf);
    DeleteFileA((noDate + "\\VP_K20x.DLL").c_str());
    ExpectOnly(noDate, FINDING_WARNING, "registered without a date");
}

std::string RunMedcheck(const std::string &arguments, DWORD *exitCode)
{
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), NULL, TRUE};
    HANDLE readEnd, writeEnd;
    CreatePipe(&readEnd, &writeEnd, &inherit, 0);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    std::string exe = WindowsPath(getenv("SETUP_MEDCHECK_EXE"));
    std::string commandLine = "\"" + exe + "\" " + arguments;
    PROCESS_INFORMATION process;
    EXPECT_TRUE(CreateProcessA(exe.c_str(), &commandLine[0], NULL, NULL, TRUE, 0, NULL, NULL,
                               &startup, &process));
    CloseHandle(writeEnd);
    std::string output;
    char chunk[4096];
    DWORD got;
    while (ReadFile(readEnd, chunk, sizeof(chunk), &got, NULL) && got) output.append(chunk, got);
    CloseHandle(readEnd);
    *exitCode = FinishProgram(&process, 30000);
    return output;
}

TEST(MedcheckProgram, ExitCodesAndReports)
{
    DWORD code;
    std::string text = RunMedcheck("\"" + SampleMediumFolder() + "\"", &code);
    EXPECT_EQ(0u, code) << text;
    EXPECT_NE(std::string::npos, text.find("0 errors, 2 warnings")) << text;

    std::string broken = MakeMedium(std::string(kModels) + "\"Model A\" = SECT_B\r\n");
    text = RunMedcheck("--json \"" + broken + "\"", &code);
    EXPECT_EQ(1u, code) << text;
    EXPECT_EQ(0u, text.find("{\"folder\": ")) << text;
    EXPECT_NE(std::string::npos, text.find("\"errors\": 1, \"warnings\": 0")) << text;
    EXPECT_NE(std::string::npos, text.find("\"severity\": \"error\"")) << text;

    RunMedcheck("\"" + MakeTempFolder("empty") + "\"", &code);
    EXPECT_EQ(2u, code);
    RunMedcheck("\"C:\\no such folder\"", &code);
    EXPECT_EQ(2u, code);
}

}  // namespace
