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

// The sample medium itself is checked through the program, at the end.
TEST(MediumCheck, TheGoodMediumHasNoFinding)
{
    EXPECT_EQ(MEDIUM_OK, CheckMedium(MakeMedium(GoodInf()).c_str()));
    EXPECT_EQ(0, FindingCount());
}

std::string WithModelLines(const std::string &lines) { return kModels + lines + kGoodSections; }

// The good INF with its first `what` replaced.
std::string Replaced(const std::string &what, const std::string &with)
{
    std::string inf = GoodInf();
    return inf.replace(inf.find(what), what.size(), with);
}

const char kFiles[] = "@UNIDRV.DLL,@UNIDRVUI.DLL,@UNIDRV.HLP,@VP_K20x.GPD,@VP_K20x.DLL";

TEST(MediumCheck, EachFlawOfTheInfGivesItsFindingAlone)
{
    std::string many;
    for (int i = 0; i < 60; ++i)
        many += "\"Model " + std::to_string(1000 + i) + " long name\" = SECT_A,HWID_A\r\n";
    const struct {
        std::string inf;
        Severity severity;
        const char *says;
    } cases[] = {
        {"[Other]\r\n" + std::string(kGoodSections), FINDING_ERROR,
         "models section [VantrelPelzoran] is missing"},
        {WithModelLines(""), FINDING_ERROR, "lists no models"},
        {WithModelLines("Model A = SECT_A,HWID_A\r\n"), FINDING_ERROR, "not quoted"},
        {WithModelLines(kGoodModel + std::string("\"\" = SECT_A,HWID_A\r\n")), FINDING_ERROR,
         "shorter than three"},
        {WithModelLines(kGoodModel + std::string("\"MODEL a\" = SECT_A,HWID_A\r\n")), FINDING_ERROR,
         "only in letter case"},
        {WithModelLines(many), FINDING_ERROR, "longer than the 1024 bytes"},
        {WithModelLines("\"Model A\" =\r\n"), FINDING_ERROR, "names no install section"},
        // Leading commas separate like one: the hardware id is taken as the section.
        {WithModelLines("\"Model A\" = ,HWID_A\r\n"), FINDING_ERROR, "[HWID_A] does not exist"},
        {WithModelLines("\"Model A\" = SECT_B,HWID_A\r\n"), FINDING_ERROR, "[SECT_B] does not exist"},
        {WithModelLines("\"Model A\" = SECT_A\r\n"), FINDING_WARNING, "no hardware id"},
        {Replaced("DefaultDataType=RAW", "Other=1"), FINDING_WARNING, "has no DefaultDataType"},
        {Replaced("DataSection=DATA_A", "DataSection=DATA_B"), FINDING_WARNING, "DATA_B is missing"},
        {Replaced("Model A", "Model, A"), FINDING_ERROR, "comma"},
        {Replaced("Model A", "Model\\A"), FINDING_ERROR, "backslash"},
        {Replaced("Model A", std::string(230, 'M')), FINDING_ERROR, "more than the 220"},
        {Replaced(kFiles, ""), FINDING_ERROR, "CopyFiles is missing or empty"},
        {Replaced(kFiles, kFiles + std::string(",,")), FINDING_WARNING, "empty field"},
        {Replaced(kFiles, "@UNIDRV.DLL,@UNIDRVUI.DLL,@UNIDRV.HLP,@VP_K20x.DLL"), FINDING_ERROR,
         "VP_K20x.GPD is not in CopyFiles"},
        {Replaced(kFiles, kFiles + std::string(",..\\EXTRA.DLL")), FINDING_ERROR,
         "not a bare file name"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.says);
        ExpectOnly(MakeMedium(c.inf), c.severity, c.says);
    }
}

TEST(MediumCheck, CopyFilesValuesTheReadCuts)
{
    // A value the 1024-byte read holds whole (1023 characters, no @) whose
    // names and terminators need 1025 bytes: the last name is dropped.
    std::string crowded = "UNIDRV.DLL,UNIDRVUI.DLL,UNIDRV.HLP,VP_K20x.GPD,VP_K20x.DLL,";
    crowded += std::string(1023 - crowded.size() - 4, 'C') + ".INI";
    ASSERT_EQ(1023u, crowded.size());
    std::string folder = MakeMedium(Replaced(kFiles, crowded));
    WriteFileBytes(folder + "\\" + crowded.substr(crowded.rfind(',') + 1), "model data\r\n");
    ExpectOnly(folder, FINDING_ERROR, "do not fit the wizard's 1024-byte copy list");

    // Longer than the read: the cut also leaves a name cut short, which the
    // medium does not hold.
    std::string tooLong = kFiles;
    while (tooLong.size() < 1100) tooLong += ",@VP_K20x.DLL";
    CheckMedium(MakeMedium(Replaced(kFiles, tooLong)).c_str());
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
    std::string unknownMethod = packed;
    unknownMethod[8] = 'Q';
    for (const std::string &damaged : {packed.substr(0, packed.size() / 2), unknownMethod}) {
        std::string folder = MakeMedium(GoodInf());
        WriteFileBytes(folder + "\\UNIDRV.DLL", damaged);
        ExpectOnly(folder, FINDING_ERROR, "damaged");
    }

    std::string noDate = MakeMedium(Replaced(",@VP_K20x.DLL", ""));
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
