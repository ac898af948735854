// The medium check on media made for each finding: each gives its finding
// and no unrelated one. Files are the sample medium's, damaged here; the
// program itself is run for its command line, exit codes and reports.
#include <gtest/gtest.h>
#include <windows.h>
#include <lzexpand.h>
#include <cstdlib>
#include <string>
#include <vector>
#include "copy/copier.h"
#include "medcheck/findings.h"
#include "medcheck/medium_check.h"
#include "platform/install_selection.h"
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

// A new folder of the given depth (path length) below C:\m.
std::string ShortFolder(size_t depth = 0)
{
    static int serial;
    CreateDirectoryA("C:\\m", NULL);
    std::string folder = "C:\\m\\" + std::to_string(++serial);
    CreateDirectoryA(folder.c_str(), NULL);
    if (depth > folder.size()) folder += "\\" + std::string(depth - folder.size() - 1, 'd');
    CreateDirectoryA(folder.c_str(), NULL);
    return folder;
}

// A medium of the sample's files and the given INF; `file` is then written
// with `bytes`, or deleted when they are empty.
std::string MakeMediumWithInf(const std::string &inf, const std::string &file = "",
                       const std::string &bytes = "", const std::string &folder = ShortFolder())
{
    for (const char *name : {"setup.exe", "UNIDRV.DLL", "UNIDRVUI.DLL", "UNIDRV.HL_", "VP_K20x.GPD", "VP_K20x.DLL"})
        CopyFileA((SampleMediumFolder() + "\\" + name).c_str(), (folder + "\\" + name).c_str(), FALSE);
    WriteFileBytes(folder + "\\VP_K20x.INF", inf);
    if (!bytes.empty()) WriteFileBytes(folder + "\\" + file, bytes);
    else if (!file.empty()) DeleteFileA((folder + "\\" + file).c_str());
    return folder;
}

std::string Findings()
{
    std::string all;
    for (int i = 0; i < FindingCount(); ++i)
        all += std::string(FindingAt(i)->code) + " " + FindingAt(i)->subject + ": " + FindingAt(i)->text + "\n";
    return all;
}

TEST(MediumCheck, EachFlawGivesItsFindingAlone)
{
    EXPECT_EQ(MEDIUM_OK, CheckMedium(MakeMediumWithInf(kGoodInf).c_str())) << Findings();
    EXPECT_EQ(0, FindingCount()) << Findings();

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
    // One character more than the copier's open of the source takes from a
    // drive's root; the name without it installs from there (copier_test).
    const std::string longName = std::string(121, 'L') + ".DLL";
    // Fits from a drive's root, but lies on the medium under "NAME._".
    const std::string bareName(124, 'N');

    const struct {
        std::string inf;
        const char *code;
        const char *says;  // a part of the text, where the text itself matters
        std::string file = "", bytes = "";  // written with the bytes, or deleted
        std::string folder = ShortFolder();
    } cases[] = {
        {"[Other]\r\n" + kGoodSections, "models-section-missing", "[VantrelPelzoran]"},
        {WithModelLines(""), "models-none", ""},
        {WithModelLines("Model A = SECT_A,HWID_A\r\n"), "model-key-unquoted", ""},
        {WithModelLines(kGoodModel + "\"\" = SECT_A,HWID_A\r\n"), "model-key-short", ""},
        {WithModelLines(kGoodModel + "\"MODEL a\" = SECT_A,HWID_A\r\n"), "model-key-case-twin", ""},
        {WithModelLines(many), "model-keys-too-long", ""},
        {WithModelLines("\"Model A\" =\r\n"), "install-section-unnamed", ""},
        // Leading commas separate like one: the hardware id is taken as the section.
        {WithModelLines("\"Model A\" = ,HWID_A\r\n"), "install-section-missing", "[HWID_A]"},
        {WithModelLines("\"Model A\" = SECT_B,HWID_A\r\n"), "install-section-missing", "[SECT_B]"},
        {WithModelLines("\"Model A\" = SECT_A, HWID_A\r\n"), "model-field-blank", "\" HWID_A\""},
        {WithModelLines("\"Model A\" = SECT_A ,HWID_A\r\n"), "model-field-blank", "\"SECT_A \""},
        {WithModelLines("\"Model A\" = SECT_A\r\n"), "hardware-id-missing", ""},
        {Replaced("DefaultDataType=RAW", "Other=1"), "data-type-missing", ""},
        {Replaced("DefaultDataType=RAW", "DefaultDataType=RAW [FF]"), "data-type-unknown", "\"RAW [FF]\""},
        {Replaced("DataSection=DATA_A", "DataSection=DATA_B"), "data-section-missing", "[DATA_B]"},
        {Replaced("Model A", "Model, A"), "model-name-comma", ""},
        {Replaced("Model A", "Model\\A"), "model-name-backslash", ""},
        {Replaced("Model A", std::string(230, 'M')), "model-name-too-long", ""},
        {Replaced(kFiles, ""), "copyfiles-missing", ""},
        {Replaced(kFiles, kFiles + std::string(",,")), "copyfiles-empty-field", ""},
        {Replaced(",@VP_K20x.DLL", ", @VP_K20x.DLL"), "copyfiles-blank", "blank becomes part of the name"},
        {Replaced(",@VP_K20x.GPD", ""), "registered-file-not-copied", "\"VP_K20x.GPD\""},
        {Replaced(kFiles, kFiles + std::string(",..\\EXTRA.DLL")), "file-name-not-bare", "\"File open error.\""},
        {Replaced(kFiles, kFiles + std::string(",con.dll")), "file-name-reserved", "\"File open error.\""},
        {Replaced(kFiles, kFiles + ("," + longName)), "file-path-too-long", "1 too many", longName, "data"},
        {Replaced(kFiles, kFiles + ("," + longName.substr(1))), "", "", longName.substr(1), "data", "C:\\"},
        {Replaced(kFiles, kFiles + ("," + bareName)), "file-path-too-long", "found as", bareName + "._", "data"},
        {kGoodInf, "folder-too-deep", "1 too many", "", "", ShortFolder(127 - 1 - 12 + 1)},
        {kGoodInf, "", "", "", "", ShortFolder(127 - 1 - 12)},
        {Replaced(kFiles, crowded), "copy-list-overflow", "", lastName, "data"},
        {kGoodInf, "file-missing", "\"File open error.\"", "UNIDRV.HL_"},
        {kGoodInf, "file-damaged", "\"File has damaged.\"", "UNIDRV.DLL", packed.substr(0, packed.size() / 2)},
        {kGoodInf, "file-damaged", "\"File has damaged.\"", "UNIDRV.DLL", unknownMethod},
        {kGoodInf, "setup-missing", "", "setup.exe"},
        {Replaced(",@VP_K20x.DLL", ""), "date-file-missing", "", "VP_K20x.DLL"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.code);
        CheckMedium(MakeMediumWithInf(c.inf, c.file, c.bytes, c.folder).c_str());
        EXPECT_EQ(c.code[0] ? 1 : 0, !!FindingCount()) << Findings();
        for (int i = 0; i < FindingCount(); ++i) {
            const Finding *f = FindingAt(i);
            EXPECT_TRUE(strcmp(f->code, c.code) == 0 && strstr(f->text, c.says)) << Findings();
        }
    }

    // Longer than the read: the cut also leaves a name cut short, which the
    // medium does not hold.
    std::string tooLong = kFiles;
    while (tooLong.size() < 1100) tooLong += ",@VP_K20x.DLL";
    CheckMedium(MakeMediumWithInf(Replaced(kFiles, tooLong)).c_str());
    ASSERT_EQ(2, ErrorCount()) << Findings();
    EXPECT_STREQ("copyfiles-too-long", FindingAt(0)->code);
    EXPECT_STREQ("file-missing", FindingAt(1)->code);
}

TEST(MediumCheck, EachFileOnceAndEveryFindingCounted)
{
    // A damaged file three models copy: one finding that names them all.
    const std::string packed = ReadFileBytes(SampleMediumFolder() + "\\UNIDRV.DLL");
    std::string three = WithModelLines(kGoodModel + "\"Model B\" = SECT_A,HWID_B\r\n\"Model C\" = SECT_A,HWID_C\r\n");
    EXPECT_EQ(MEDIUM_HAS_ERRORS, CheckMedium(MakeMediumWithInf(three, "UNIDRV.DLL", packed.substr(0, 100)).c_str()));
    ASSERT_EQ(1, FindingCount()) << Findings();
    EXPECT_STREQ("file \"UNIDRV.DLL\" (models \"Model A\", \"Model B\", \"Model C\")", FindingAt(0)->subject);

    // A file held open for writing by another program does not open.
    std::string medium = MakeMediumWithInf(kGoodInf);
    HANDLE locked = CreateFileA((medium + "\\VP_K20x.GPD").c_str(), GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
    CheckMedium(medium.c_str());
    CloseHandle(locked);
    ASSERT_EQ(1, FindingCount()) << Findings();
    EXPECT_STREQ("file-open-error", FindingAt(0)->code);

    // 1200 missing files, more than the report keeps: all counted.
    std::string models = kModels, sections;
    for (int model = 0; model < 8; ++model) {
        std::string section = "S" + std::to_string(model);
        models += "\"Model " + std::to_string(model) + "\" = " + section + ",HWID\r\n";
        std::string files = kFiles;
        for (int i = 0; i < 150; ++i) files += ",M" + std::to_string(model * 1000 + i);
        sections += "[" + section + "]\r\nCopyFiles=" + files + "\r\nDataSection=DATA_A\r\n";
    }
    std::string inf = models + sections + "[DATA_A]\r\nDefaultDataType=RAW\r\n";
    EXPECT_EQ(MEDIUM_HAS_ERRORS, CheckMedium(MakeMediumWithInf(inf).c_str()));
    EXPECT_EQ(MAX_FINDINGS, FindingCount());
    EXPECT_EQ(1200, ErrorCount()) << Findings().substr(0, 3000);
}

// Runs medcheck.exe with its output in a file; returns the output.
std::string RunMedcheck(const std::string &arguments, DWORD *exitCode, bool errorsToo = true)
{
    std::string exe = WindowsPath(getenv("SETUP_MEDCHECK_EXE")), commandLine = "\"" + exe + "\" " + arguments;
    // Made once, while the temp folder is still the prefix's own.
    static const std::string outputPath = MakeTempFolder("output") + "\\output.txt";
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), NULL, TRUE};
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup), startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = CreateFileA(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, NULL);
    startup.hStdError = errorsToo ? startup.hStdOutput : NULL;
    PROCESS_INFORMATION process;
    EXPECT_TRUE(CreateProcessA(exe.c_str(), &commandLine[0], NULL, NULL, TRUE, 0, NULL, NULL, &startup, &process));
    CloseHandle(startup.hStdOutput);
    *exitCode = FinishProgram(&process, 30000);
    return ReadFileBytes(outputPath);
}

// Whether text is one JSON value in valid UTF-8; its strings are collected.
struct JsonReader {
    const char *p;
    std::vector<std::string> strings;
    void Blank() { while (*p == ' ' || *p == '\n' || *p == '\r' || *p == '\t') ++p; }
    bool String()
    {
        std::string s;
        for (++p; *p != '"'; ++p) {
            if ((unsigned char)*p < 0x20) return false;
            if (*p == '\\' && !*++p) return false;
            s += *p;
        }
        ++p;
        strings.push_back(s);
        return true;
    }
    bool Value()
    {
        Blank();
        if (*p == '"') return String();
        if (*p == '{' || *p == '[') {
            char close = *p == '{' ? '}' : ']';
            ++p, Blank();
            if (*p == close) return ++p, true;
            do {
                if (close == '}') {
                    Blank();
                    if (*p != '"' || !String()) return false;
                    Blank();
                    if (*p++ != ':') return false;
                }
                if (!Value()) return false;
                Blank();
            } while (*p == ',' && ++p);
            return *p++ == close;
        }
        const char *start = p;
        while (isdigit((unsigned char)*p) || *p == '-') ++p;
        return p != start;
    }
    static bool Parse(const std::string &text, std::vector<std::string> *strings)
    {
        if (!MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.c_str(), -1, NULL, 0)) return false;
        JsonReader reader = {text.c_str(), {}};
        bool ok = reader.Value();
        reader.Blank();
        *strings = reader.strings;
        return ok && !*reader.p;
    }
};

TEST(MedcheckProgram, CommandLineExitCodesAndReports)
{
    DWORD code;
    std::string text = RunMedcheck("\"" + SampleMediumFolder() + "\"", &code);
    EXPECT_EQ(0u, code) << text;
    EXPECT_NE(std::string::npos, text.find("0 errors, 2 warnings")) << text;

    for (const char *help : {"--help", "-h", "/?"}) {
        text = RunMedcheck(help, &code, false);
        EXPECT_EQ(0u, code) << help;
        EXPECT_EQ(0u, text.find("usage: medcheck")) << help << ": " << text;
    }
    for (const std::string &wrong : {std::string("--jsn"), std::string("a b"), "\"" + SampleMediumFolder() + "\" extra"}) {
        EXPECT_EQ("", RunMedcheck(wrong, &code, false)) << wrong;
        EXPECT_EQ(2u, code) << wrong;
    }

    // An accented model name in the ANSI code page comes out as UTF-8.
    const wchar_t *accented = L"Mod\u00e8le \u00c4";
    char ansi[64];
    BOOL lossy = FALSE;
    WideCharToMultiByte(CP_ACP, 0, accented, -1, ansi, sizeof(ansi), NULL, &lossy);
    ASSERT_FALSE(lossy) << "the ANSI code page has no accented letters";
    std::string inf = kModels + std::string("\"") + ansi + "\" = SECT_B\r\n";
    text = RunMedcheck("--json \"" + MakeMediumWithInf(inf) + "\"", &code);
    EXPECT_EQ(1u, code) << text;
    std::vector<std::string> strings;
    ASSERT_TRUE(JsonReader::Parse(text, &strings)) << text;
    EXPECT_NE(std::string::npos, text.find("\"errors\": 1, \"warnings\": 0, \"not_shown\": 0")) << text;
    EXPECT_NE(std::string::npos, text.find("\"code\": \"install-section-missing\", \"severity\": \"error\", "
                                           "\"subject\": \"model \\\"Mod\xc3\xa8le \xc3\x84\\\"\"")) << text;

    // Relative to the current folder.
    std::string medium = MakeMediumWithInf(inf);
    char current[MAX_PATH];
    GetCurrentDirectoryA(sizeof(current), current);
    SetCurrentDirectoryA(medium.c_str());
    text = RunMedcheck("..\\" + medium.substr(medium.rfind('\\') + 1), &code);
    SetCurrentDirectoryA(current);
    EXPECT_EQ(1u, code) << text;

    for (const std::string &unreadable : {MakeTempFolder("empty"), std::string("C:\\no such folder")}) {
        RunMedcheck("\"" + unreadable + "\"", &code);
        EXPECT_EQ(2u, code) << unreadable;
    }

    // A temp folder that cannot take a scratch file: nothing said about the medium.
    char tmp[MAX_PATH], temp[MAX_PATH];
    GetEnvironmentVariableA("TMP", tmp, sizeof(tmp));
    GetEnvironmentVariableA("TEMP", temp, sizeof(temp));
    SetEnvironmentVariableA("TMP", "C:\\no such temp");
    SetEnvironmentVariableA("TEMP", "C:\\no such temp");
    text = RunMedcheck("\"" + SampleMediumFolder() + "\"", &code);
    SetEnvironmentVariableA("TMP", tmp);
    SetEnvironmentVariableA("TEMP", temp);
    EXPECT_EQ(2u, code) << text;
    EXPECT_EQ(0u, text.find("medcheck: could not check")) << text;
}

// Run under code page 932 by the medcheck_cp932_test entry. In Shift-JIS the
// second byte of \x95\x5c (a kanji) is the byte of a backslash.
TEST(CodePage932, NamesEndingInABackslashByteAreReadByCharacters)
{
    if (GetACP() != 932) GTEST_SKIP() << "needs code page 932 (the medcheck_cp932_test entry)";
    const std::string kanji = "\x95\x5c";
    // A folder, a model and a copied file whose names end in it.
    const std::string folder = ShortFolder() + "\\\x83\x68\x83\x89\x83\x43\x83\x6f" + kanji;
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), NULL));
    std::string inf = Replaced("Model A", "VP K205 \x83\x82\x83\x6d\x83\x4e\x83\x8d" + kanji);
    inf.replace(inf.find(kFiles), strlen(kFiles), kFiles + ("," + kanji + ".INI"));
    EXPECT_EQ(MEDIUM_OK, CheckMedium(MakeMediumWithInf(inf, kanji + ".INI", "data").c_str())) << Findings();
    MakeMediumWithInf(inf, kanji + ".INI", "data", folder);
    DWORD code;
    for (const std::string &arguments : {folder, folder + "\\", "--json " + folder}) {
        std::string text = RunMedcheck(arguments, &code);
        EXPECT_EQ(0u, code) << arguments << ": " << text;
    }

    // The LZ library's fallback name is made byte by byte: the kanji's second
    // byte passes for a backslash, and of a last katakana only the second
    // byte becomes '_'. Where the rule says, the library opens the file.
    const struct { std::string name, compressed; } names[] = {
        {"A." + kanji, "A." + kanji + "._"},
        {"A.\x83\x41\x83\x41", "A.\x83\x41\x83_"},
    };
    SetCurrentDirectoryA(folder.c_str());
    for (const auto &n : names) {
        char compressed[TEXT_BUFFER_SIZE];
        CompressedFallbackName(n.name.c_str(), compressed);
        EXPECT_EQ(n.compressed, compressed);
        WriteFileBytes(folder + "\\" + n.compressed, "data");
        OFSTRUCT opened;
        INT file = LZOpenFileA(const_cast<char *>(n.name.c_str()), &opened, OF_READ);
        EXPECT_GE(file, 0) << n.compressed;
        if (file >= 0) LZClose(file);
    }
}

}  // namespace
