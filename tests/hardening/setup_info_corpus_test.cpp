// Hostile setup-information files, mutations of the sample medium's from a
// fixed seed, against the reader, the medium check and the whole wizard:
// none may crash, hang or write past a buffer.
#include <algorithm>
#include <cstring>
#include <random>
#include <sstream>

#include "medcheck/medium_check.h"
#include "platform/install_selection.h"
#include "setupinfo/setup_info.h"
#include "platform/platform.h"
#include "support/test_files.h"
#include "support/wizard_fixture.h"

namespace {

typedef std::vector<std::string> Lines;

std::mt19937 g_random;
unsigned Below(size_t n) { return (unsigned)(g_random() % n); }

// Around the reader's 1024-byte buffers and its 2048-byte key list.
const int kLongLengths[] = {1021, 1022, 1023, 1024, 1025, 1026, 1027, 2046, 2047, 2048, 4096, 70000};
const char kName[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_";
const char kPrintable[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789 _-.,=\"[];@\\";
const char kModelKey[] = "\"Vantrel";
// CopyFiles names of all lengths, some empty, some with the '@' of a
// file without a section.
const char kFileList[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_,,,@";

std::string Text(size_t length, const char *alphabet)
{
    std::string text;
    while (text.size() < length) text += alphabet[Below(strlen(alphabet))];
    return text;
}

// A random line that starts with prefix; NULL when there is none.
std::string *LineOf(Lines &lines, const char *prefix)
{
    std::vector<std::string *> found;
    for (std::string &line : lines)
        if (line.compare(0, strlen(prefix), prefix) == 0) found.push_back(&line);
    return found.empty() ? NULL : found[Below(found.size())];
}

// A random section: its header and the line after its last.
std::pair<size_t, size_t> AnySection(Lines &lines)
{
    std::string *header = LineOf(lines, "[");
    if (!header) return {0, 0};
    size_t end = header - &lines[0] + 1;
    while (end < lines.size() && (lines[end].empty() || lines[end][0] != '[')) ++end;
    return {header - &lines[0], end};
}

// count bytes of first .. first + range - 1 put in at random places.
void Scatter(Lines &lines, unsigned count, int first, int range)
{
    for (; count; --count) {
        std::string &line = lines[Below(lines.size())];
        line.insert(line.begin() + Below(line.size() + 1), (char)(first + Below(range)));
    }
}

// Those that look for keys and sections come first, so that a mix applies
// them before the bytes are scrambled.
const struct {
    const char *name;
    void (*apply)(Lines &);
} kMutations[] = {
    {"long line", [](Lines &lines) {
         size_t length = kLongLengths[Below(12)];
         std::string forms[] = {Text(length, kPrintable), "[" + Text(length, kName) + "]",
                                Text(8, kName) + "=" + Text(length, kPrintable)};
         lines.insert(lines.begin() + Below(lines.size() + 1), forms[Below(3)]); }},
    {"long key", [](Lines &lines) {
         std::string key = Text(kLongLengths[Below(12)] - 2, kName);
         auto models = std::find(lines.begin(), lines.end(), "[VantrelPelzoran]");
         lines.insert(models == lines.end() ? models : models + 1,
                      Below(4) ? "\"" + key + "\" = VP_K201,HWID" : key + "=VP_K201"); }},
    // A model's hardware id or install section, or a value of that section.
    {"1023-character value", [](Lines &lines) {
         const char *keys[] = {kModelKey, kModelKey, "CopyFiles", "DataSection", "DefaultDataType"};
         size_t length = 1022 + Below(3), which = Below(5);
         std::string value = Text(length, which == 2 ? kFileList : kName);
         if (which == 0) value.replace(0, 8, "VP_K201,");
         if (which == 1) value.replace(length - 5, 5, ",HWID");
         if (std::string *line = LineOf(lines, keys[which]))
             *line = line->substr(0, line->find('=') + 1) + value; }},
    {"missing section", [](Lines &lines) {
         std::pair<size_t, size_t> section = AnySection(lines);
         lines.erase(lines.begin() + section.first, lines.begin() + section.second); }},
    // In the same or another letter case, with other values or the same.
    {"duplicate section", [](Lines &lines) {
         std::pair<size_t, size_t> section = AnySection(lines);
         Lines copy(lines.begin() + section.first, lines.begin() + section.second);
         if (!copy.empty() && Below(2)) CharLowerBuffA(&copy[0][0], (DWORD)copy[0].size());
         for (std::string &line : copy)
             if (line.find('=') != std::string::npos && Below(2))
                 line = line.substr(0, line.find('=') + 1) + Text(Below(40), kPrintable);
         lines.insert(Below(2) ? lines.end() : lines.begin() + section.second, copy.begin(), copy.end()); }},
    {"unquoted or one-character key", [](Lines &lines) {
         std::string *line = LineOf(lines, kModelKey);
         const char *keys[] = {"Vantrel VP-K201", "Vantrel VP-K201\"", "X", "\"", "@", " ", "", "\"\""};
         if (line && line->find('=') != std::string::npos)
             *line = keys[Below(8)] + line->substr(line->find('=')); }},
    // Byte-order marks of the encodings the profile reader may guess, too.
    {"non-ASCII bytes", [](Lines &lines) {
         const char *marks[] = {"", "", "", "\xFF\xFE", "\xFE\xFF", "\xEF\xBB\xBF"};
         lines[0].insert(0, marks[Below(6)]);
         Scatter(lines, 1 + Below(40), 0x80, 0x80); }},
    {"NULs", [](Lines &lines) { Scatter(lines, 1 + Below(20), 0, 1); }},
    // A line joined to the next by a CR alone, for some or all of them.
    {"lone CRs", [](Lines &lines) {
         bool all = Below(3) == 0;
         for (size_t i = lines.size() - 1; i > 0; --i)
             if (all || Below(3) == 0) {
                 lines[i - 1] += "\r" + lines[i];
                 lines.erase(lines.begin() + i);
             }
         Scatter(lines, Below(10), '\r', 1); }},
};
const unsigned kMutationCount = sizeof(kMutations) / sizeof(kMutations[0]);

enum MutantForm { AS_FILE, MISSING, AS_FOLDER };
struct Mutant {
    std::string name, bytes;  // the name tells the mutations applied
    MutantForm form;
};

// The missing file and the folder, one of each single mutation, then mixes
// of up to three, the same every time.
std::vector<Mutant> Corpus()
{
    Lines base;
    std::istringstream in(ReadFileBytes(SampleMediumFolder() + "\\VP_K20x.INF"));
    for (std::string line; std::getline(in, line);)
        base.push_back(line.substr(0, line.find_last_not_of('\r') + 1));
    g_random.seed(0x5E7F11E5);
    std::vector<Mutant> corpus = {{"#0; missing file", "", MISSING},
                                  {"#1; folder in place of the file", "", AS_FOLDER}};
    while (corpus.size() < 240) {
        std::vector<unsigned> chosen = {(unsigned)corpus.size() - 2};
        if (chosen[0] >= kMutationCount) {
            chosen.resize(1 + Below(3));
            for (unsigned &index : chosen) index = Below(kMutationCount);
        }
        std::sort(chosen.begin(), chosen.end());
        Mutant mutant = {"#" + std::to_string(corpus.size()), "", AS_FILE};
        Lines lines = base;
        for (unsigned index : chosen)
            kMutations[index].apply(lines), mutant.name += std::string("; ") + kMutations[index].name;
        for (const std::string &line : lines) mutant.bytes += line + "\r\n";
        corpus.push_back(mutant);
    }
    return corpus;
}

void PlaceMutant(const Mutant &mutant, const std::string &folder)
{
    std::string path = folder + "\\VP_K20x.INF";
    DeleteFileA(path.c_str());
    RemoveDirectoryA(path.c_str());
    if (mutant.form == AS_FILE) WriteFileBytes(path, mutant.bytes);
    if (mutant.form == AS_FOLDER) CreateDirectoryA(path.c_str(), NULL);
}

const unsigned char kGuard = 0xA5;

// The record as the reader needs it, every other byte a pattern that a stray
// write would change.
void SetPatternedRecord(const std::string &path, const std::string &model)
{
    memset(&g_install, 0x5A, sizeof(g_install));
    CopyText(g_install.modelName, model.c_str());
    CopyText(g_install.setupInfoPath, path.c_str());
    g_install.platformRow = 3;
    g_install.environment = SpoolerEnvironment();
}

// Every name the reader hands out, each into a buffer between guard bytes;
// then each of those and names around the buffers' size chosen: reading the
// install data changes its own fields alone and leaves them terminated.
// Counts the named models the wizard lists into *named.
void ReadAsTheWizardDoes(const std::string &path, int *named)
{
    *named = 0;
    SetPatternedRecord(path, "");
    std::vector<std::string> names = {"", std::string(1021, 'M'), std::string(1022, 'M'),
                                      std::string(1023, 'M')};
    for (WORD index = 0, count = ModelCount(); index <= count; ++index) {
        unsigned char guarded[64 + TEXT_BUFFER_SIZE + 64];
        char *text = (char *)guarded + 64;
        memset(guarded, kGuard, sizeof(guarded));
        ModelNameAt(index, text);
        bool untouched = std::count(guarded, guarded + sizeof(guarded), kGuard) == (int)sizeof(guarded);
        ASSERT_TRUE(untouched || memchr(text, 0, TEXT_BUFFER_SIZE)) << "index " << index;
        ASSERT_EQ(128, std::count(guarded, guarded + 64, kGuard) +
                           std::count(guarded + 64 + TEXT_BUFFER_SIZE, std::end(guarded), kGuard))
            << "index " << index;
        if (!untouched) names.push_back(text);
        *named += !untouched && text[0] && index < count;
    }
    for (const std::string &model : names) {
        SetPatternedRecord(path, model);
        InstallSelection before;
        memcpy(&before, &g_install, sizeof(before));
        ReadInstallData();
        for (auto field : {&InstallSelection::copyList, &InstallSelection::driverDirectory,
                           &InstallSelection::defaultDataType})
            memcpy(before.*field, g_install.*field, TEXT_BUFFER_SIZE);
        before.fileCount = g_install.fileCount;
        EXPECT_EQ(0, memcmp(&before, &g_install, sizeof(before))) << "another field changed";
        const char *list = g_install.copyList, *end = list + TEXT_BUFFER_SIZE;
        LONG files = 0;
        for (; list < end && *list; ++files) list = std::find(list, end, '\0') + 1;
        EXPECT_LT(list, end) << "the CopyList runs past its buffer";
        EXPECT_EQ(files, g_install.fileCount);
        EXPECT_TRUE(memchr(g_install.defaultDataType, 0, TEXT_BUFFER_SIZE));
        const char *hardwareId = ModelHardwareId(model.c_str());
        EXPECT_TRUE(!hardwareId || memchr(hardwareId, 0, TEXT_BUFFER_SIZE));
    }
}

TEST(SetupInfoCorpusTest, ReaderAndMediumCheckStayWithinTheirBuffers)
{
    std::vector<Mutant> corpus = Corpus();
    std::string root = MakeTempFolder("corpus");
    for (size_t i = 0; i < corpus.size() && !HasFatalFailure(); ++i) {
        SCOPED_TRACE(corpus[i].name);
        // A folder each: the profile reader keeps files it has read and could
        // mistake a rewritten one for the file it holds.
        std::string folder = root + "\\" + std::to_string(i);
        CreateDirectoryA(folder.c_str(), NULL);
        PlaceMutant(corpus[i], folder);
        int models = 0;
        ReadAsTheWizardDoes(folder + "\\VP_K20x.INF", &models);
        MediumCheckResult result = CheckMedium(folder.c_str());
        // The folder holds no driver file, so every model the wizard would
        // offer is one it could not install.
        if (corpus[i].form == AS_FILE)
            EXPECT_EQ(models ? MEDIUM_HAS_ERRORS : result, result) << models << " models listed";
        else
            EXPECT_EQ(MEDIUM_UNREADABLE, result);
    }
}

// Works the wizard as a patient user until it ends: Next on every page
// (Cancel on a model page that lists nothing), Yes or OK in every message and
// on the finish page, Cancel where a message offers nothing else. Whether the
// finish page came.
bool WorkToTheEnd(const Wizard &wizard)
{
    bool finish = false;
    {
        DialogAnswerer answerer(wizard.process.dwProcessId, 0, [&](HWND window) {
            HWND models = GetDlgItem(window, IDC_MODEL_LIST);
            int button = models && ListRows(models).empty() ? IDCANCEL
                       : GetDlgItem(window, IDC_NEXT)      ? IDC_NEXT
                       : GetDlgItem(window, IDYES)         ? IDYES
                       : GetDlgItem(window, IDOK)          ? IDOK
                       : GetDlgItem(window, IDC_MSG_TEXT)  ? IDCANCEL
                                                           : 0;
            finish |= button && GetDlgItem(window, IDC_EXIT_MESSAGE) != NULL;
            return button;
        });
        WaitForSingleObject(wizard.process.hProcess, 60000);
    }
    return finish;
}

// Every 30th mutant from first up to last through a whole run of the
// wizard, from a medium with every driver file.
void ExpectEachRunEndsAtTheFinishPage(size_t first, size_t last)
{
    std::vector<Mutant> corpus = Corpus();
    std::string medium = CopyOfSampleMedium("hostile");
    for (size_t i = first; i < corpus.size() && i < last; i += 30) {
        SCOPED_TRACE(corpus[i].name);
        PlaceMutant(corpus[i], medium);
        Wizard wizard = {};
        ASSERT_TRUE(StartWizard(&wizard, medium));
        EXPECT_TRUE(WorkToTheEnd(wizard));
        EXPECT_EQ(0u, WaitForWizardExit(&wizard, kWaitMs));
    }
}

// In two halves, each an entry of its own, so that they run side by side.
// With this seed six of the mutants install and two leave no model to choose.
TEST(SetupInfoCorpusTest, WizardEndsAtTheFinishPageOnHostileFiles)
{
    ExpectEachRunEndsAtTheFinishPage(0, 120);
}
TEST(SetupInfoCorpusTest, WizardEndsAtTheFinishPageOnMoreHostileFiles)
{
    ExpectEachRunEndsAtTheFinishPage(120, 240);
}

}  // namespace
