// The medium check on media made for each finding: each gives its finding
// and no unrelated one. Files are the sample medium's, damaged here; the
// program itself is run for its exit codes and reports.
#include <gtest/gtest.h>
#include <cstdlib>
#include <string>
#include "medcheck/findings.h"
#include "medcheck/medium_check.h"
#include "support/processes.h"
#include "support/test_files.h"

namespace {

const char kModels[] = "[VantrelPelzoran]\r\n";
const std::string kGoodModel = "\"Model A\" = SECT_A,HWID_A\r\n";
const char kFiles[] = "@UNIDRV.DLL,@UNIDRVUI.DLL,@UNIDRV.HLP,@VP_K20x.GPD,@VP_K20x.DLL";
const std::string kGoodSections =
    "[SECT_A]\r\nCopyFiles=" + std::string(kFiles) + "\r\nDataSection=DATA_A\r\n"
    "[DATA_A]\r\nDefaultDataType=RAW\r\n";
const std::string kGoodInf = kModels + kGoodModel + kGoodSections;

std::string WithModelLines(const std::string &lines) { return kModels + lines + kGoodSections; }

// The good INF with its first `what` replaced.
std::string Replaced(const std::string &what, const std::string &with)
{
    std::string inf = kGoodInf;
    return inf.replace(inf.find(what), what.size(), with);
}

// A medium of the sample's files and the given INF; `file` is then written
// with `bytes`, or deleted when they are empty.
std::string MakeMediumWithInf(const std::string &inf, const std::string &file = "", const std::string &bytes = "")
{
    std::string folder = MakeTempFolder("medium");
    for (const char *name : {"UNIDRV.DLL", "UNIDRVUI.DLL", "UNIDRV.HL_", "VP_K20x.GPD", "VP_K20x.DLL"})
        CopyFileA((SampleMediumFolder() + "\\" + name).c_str(), (folder + "\\" + name).c_str(), FALSE);
    WriteFileBytes(folder + "\\VP_K20x.INF", inf);
    if (!bytes.empty()) WriteFileBytes(folder + "\\" + file, bytes);
    else if (!file.empty()) DeleteFileA((folder + "\\" + file).c_str());
    return folder;
}

TEST(MediumCheck, EachFlawGivesItsFindingAlone)
{
    EXPECT_EQ(MEDIUM_OK, CheckMedium(MakeMediumWithInf(kGoodInf).c_str()));
    EXPECT_EQ(0, FindingCount());

    std::string many;
    for (int i = 0; i < 60; ++i) many += "\"Model " + std::to_string(1000 + i) + " long name\" = SECT_A,HWID_A\r\n";
    // A CopyFiles value the 1024-byte read holds whole (1023 characters, no
    // @) whose names and terminators need 1025 bytes.
    std::string crowded = "UNIDRV.DLL,UNIDRVUI.DLL,UNIDRV.HLP,VP_K20x.GPD,VP_K20x.DLL,";
    const std::string lastName = std::string(1023 - crowded.size() - 4, 'C') + ".INI";
    crowded += lastName;
    // Wine's LZ32 expands these without a word; the check must not.
    const std::string packed = ReadFileBytes(SampleMediumFolder() + "\\UNIDRV.DLL");
    ASSERT_EQ(0, packed.compare(0, 4, "SZDD"));
    const std::string unknownMethod = packed.substr(0, 8) + "Q" + packed.substr(9);

    const struct {
        std::string inf;
        Severity severity;
        const char *says;
        std::string file = "", bytes = "";  // written with the bytes, or deleted
    } cases[] = {
        {"[Other]\r\n" + kGoodSections, FINDING_ERROR, "models section [VantrelPelzoran] is missing"},
        {WithModelLines(""), FINDING_ERROR, "lists no models"},
        {WithModelLines("Model A = SECT_A,HWID_A\r\n"), FINDING_ERROR, "not quoted"},
        {WithModelLines(kGoodModel + "\"\" = SECT_A,HWID_A\r\n"), FINDING_ERROR, "shorter than three"},
        {WithModelLines(kGoodModel + "\"MODEL a\" = SECT_A,HWID_A\r\n"), FINDING_ERROR, "only in letter case"},
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
        {Replaced(",@VP_K20x.GPD", ""), FINDING_ERROR, "VP_K20x.GPD is not in CopyFiles"},
        {Replaced(kFiles, kFiles + std::string(",..\\EXTRA.DLL")), FINDING_ERROR, "not a bare file name"},
        {Replaced(kFiles, crowded), FINDING_ERROR, "do not fit the wizard's 1024-byte copy list", lastName, "data"},
        {kGoodInf, FINDING_ERROR, "neither as UNIDRV.HLP nor as UNIDRV.HL_", "UNIDRV.HL_"},
        {kGoodInf, FINDING_ERROR, "damaged", "UNIDRV.DLL", packed.substr(0, packed.size() / 2)},
        {kGoodInf, FINDING_ERROR, "damaged", "UNIDRV.DLL", unknownMethod},
        {Replaced(",@VP_K20x.DLL", ""), FINDING_WARNING, "registered without a date", "VP_K20x.DLL"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.says);
        CheckMedium(MakeMediumWithInf(c.inf, c.file, c.bytes).c_str());
        EXPECT_GT(FindingCount(), 0);
        for (int i = 0; i < FindingCount(); ++i) {
            const Finding *f = FindingAt(i);
            EXPECT_TRUE(f->severity == c.severity && strstr(f->text, c.says)) << f->subject << ": " << f->text;
        }
    }

    // Longer than the read: the cut also leaves a name cut short, which the
    // medium does not hold.
    std::string tooLong = kFiles;
    while (tooLong.size() < 1100) tooLong += ",@VP_K20x.DLL";
    CheckMedium(MakeMediumWithInf(Replaced(kFiles, tooLong)).c_str());
    ASSERT_EQ(2, ErrorCount());
    EXPECT_NE(nullptr, strstr(FindingAt(0)->text, "reads only the first 1023"));
    EXPECT_NE(nullptr, strstr(FindingAt(1)->text, "is not in the medium's folder"));
}

// Runs medcheck.exe with its output in a file; returns the output.
std::string RunMedcheck(const std::string &arguments, DWORD *exitCode)
{
    std::string exe = WindowsPath(getenv("SETUP_MEDCHECK_EXE")), commandLine = "\"" + exe + "\" " + arguments;
    std::string outputPath = MakeTempFolder("output") + "\\output.txt";
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), NULL, TRUE};
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup), startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError =
        CreateFileA(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, NULL);
    PROCESS_INFORMATION process;
    EXPECT_TRUE(CreateProcessA(exe.c_str(), &commandLine[0], NULL, NULL, TRUE, 0, NULL, NULL, &startup, &process));
    CloseHandle(startup.hStdOutput);
    *exitCode = FinishProgram(&process, 30000);
    return ReadFileBytes(outputPath);
}

TEST(MedcheckProgram, ExitCodesAndReports)
{
    DWORD code;
    std::string text = RunMedcheck("\"" + SampleMediumFolder() + "\"", &code);
    EXPECT_EQ(0u, code) << text;
    EXPECT_NE(std::string::npos, text.find("0 errors, 2 warnings")) << text;

    text = RunMedcheck("--json \"" + MakeMediumWithInf(kModels + std::string("\"Model A\" = SECT_B\r\n")) + "\"", &code);
    EXPECT_EQ(1u, code) << text;
    EXPECT_EQ(0u, text.find("{\"folder\": ")) << text;
    EXPECT_NE(std::string::npos, text.find("\"errors\": 1, \"warnings\": 0")) << text;
    EXPECT_NE(std::string::npos, text.find("\"severity\": \"error\"")) << text;

    for (const std::string &unreadable : {MakeTempFolder("empty"), std::string("C:\\no such folder")}) {
        RunMedcheck("\"" + unreadable + "\"", &code);
        EXPECT_EQ(2u, code) << unreadable;
    }
}

}  // namespace
