// Mutations of a setup-information file.
#include "hardening/setup_info_corpus.h"

#include <windows.h>

#include <algorithm>
#include <random>

#include "support/test_files.h"

namespace {

typedef std::vector<std::string> Lines;

struct Corpus {
    std::mt19937 random;
    unsigned Below(unsigned n) { return n ? (unsigned)(random() % n) : 0; }
    template <size_t N>
    int Pick(const int (&values)[N]) { return values[Below(N)]; }
};

// The lengths around the reader's 1024-byte buffers and its 2048-byte key list.
const int kLongLengths[] = {1021, 1022, 1023, 1024, 1025, 1026, 1027, 2046, 2047, 2048, 4096, 70000};
const int kValueLengths[] = {1022, 1023, 1024};

const char kModelsSection[] = "[VantrelPelzoran]";

std::string Text(Corpus &c, size_t length, const char *alphabet)
{
    std::string text;
    size_t size = lstrlenA(alphabet);
    for (size_t i = 0; i < length; ++i) text += alphabet[c.Below((unsigned)size)];
    return text;
}

std::string Printable(Corpus &c, size_t length)
{
    return Text(c, length, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789 _-.,=\"[];@\\");
}

std::string Name(Corpus &c, size_t length)
{
    return Text(c, length, "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_");
}

// Lines of the section whose header starts at line header, header excluded.
size_t SectionEnd(const Lines &lines, size_t header)
{
    size_t end = header + 1;
    while (end < lines.size() && (lines[end].empty() || lines[end][0] != '[')) ++end;
    return end;
}

std::vector<size_t> Headers(const Lines &lines)
{
    std::vector<size_t> headers;
    for (size_t i = 0; i < lines.size(); ++i)
        if (!lines[i].empty() && lines[i][0] == '[') headers.push_back(i);
    return headers;
}

size_t ModelsHeader(const Lines &lines)
{
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i] == kModelsSection) return i;
    return lines.size();
}

// Lines of that key ("key=" at their start, blanks allowed before the '=').
std::vector<size_t> KeyLines(const Lines &lines, const char *key)
{
    std::vector<size_t> found;
    size_t length = lstrlenA(key);
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i].compare(0, length, key) == 0) found.push_back(i);
    return found;
}

std::vector<size_t> ModelLines(const Lines &lines)
{
    std::vector<size_t> found;
    size_t header = ModelsHeader(lines);
    if (header == lines.size()) return found;
    for (size_t i = header + 1; i < SectionEnd(lines, header); ++i)
        if (!lines[i].empty() && lines[i][0] != ';') found.push_back(i);
    return found;
}

void InsertIntoModels(Lines &lines, const std::string &line)
{
    size_t header = ModelsHeader(lines);
    if (header == lines.size()) {
        lines.push_back(kModelsSection);
        header = lines.size() - 1;
    }
    lines.insert(lines.begin() + header + 1, line);
}

// A CopyFiles value of exactly length characters; without the '@'s and
// empty fields its names fill the CopyList to the last byte.
std::string FileList(Corpus &c, size_t length)
{
    std::string list;
    bool marked = c.Below(2) != 0;
    while (list.size() < length) {
        if (!list.empty()) list += ',';
        list += (marked ? "@" : "") + Name(c, 1 + c.Below(12));
    }
    return list.substr(0, length);
}

void LongLine(Corpus &c, Lines &lines)
{
    size_t length = c.Pick(kLongLengths);
    std::string line;
    switch (c.Below(3)) {
    case 0: line = Printable(c, length); break;
    case 1: line = Name(c, 8) + "=" + Printable(c, length); break;
    default: line = "[" + Name(c, length) + "]"; break;
    }
    lines.insert(lines.begin() + c.Below((unsigned)lines.size() + 1), line);
}

void LongKey(Corpus &c, Lines &lines)
{
    std::string name = Printable(c, c.Pick(kLongLengths) - 2);
    for (char &ch : name)
        if (ch == '=' || ch == '"' || ch == ';' || ch == '[') ch = 'Q';
    InsertIntoModels(lines, c.Below(4) ? "\"" + name + "\" = VP_K201,HWID" : name + "=VP_K201");
}

void LongValue(Corpus &c, Lines &lines)
{
    size_t length = c.Pick(kValueLengths);
    unsigned target = c.Below(4);
    std::vector<size_t> found = target == 0 ? ModelLines(lines)
                              : target == 1 ? KeyLines(lines, "CopyFiles")
                              : target == 2 ? KeyLines(lines, "DataSection")
                                            : KeyLines(lines, "DefaultDataType");
    if (found.empty()) return;
    std::string &line = lines[found[c.Below((unsigned)found.size())]];
    size_t equals = line.find('=');
    if (equals == std::string::npos) return;
    std::string value;
    if (target == 0 && c.Below(2))
        value = "VP_K201," + Name(c, length - 8);
    else if (target == 0)
        value = Name(c, length - 5) + ",HWID";
    else if (target == 1)
        value = FileList(c, length);
    else
        value = Name(c, length);
    line = line.substr(0, equals + 1) + value;
}

void MissingSection(Corpus &c, Lines &lines)
{
    std::vector<size_t> headers = Headers(lines);
    if (headers.empty()) return;
    size_t header = headers[c.Below((unsigned)headers.size())];
    lines.erase(lines.begin() + header, lines.begin() + SectionEnd(lines, header));
}

// A second section of an existing name, in the same or another letter case,
// with other values or the same.
void DuplicateSection(Corpus &c, Lines &lines)
{
    std::vector<size_t> headers = Headers(lines);
    if (headers.empty()) return;
    size_t header = headers[c.Below((unsigned)headers.size())];
    Lines copy(lines.begin() + header, lines.begin() + SectionEnd(lines, header));
    if (c.Below(2)) CharLowerBuffA(&copy[0][0], (DWORD)copy[0].size());
    for (size_t i = 1; i < copy.size(); ++i) {
        size_t equals = copy[i].find('=');
        if (equals != std::string::npos && c.Below(2))
            copy[i] = copy[i].substr(0, equals + 1) + Printable(c, c.Below(40));
    }
    size_t at = c.Below(2) ? lines.size() : header + copy.size();
    lines.insert(lines.begin() + at, copy.begin(), copy.end());
}

// Keys without quotes, with one, of one character or of none.
void UnquotedKey(Corpus &c, Lines &lines)
{
    std::vector<size_t> found = ModelLines(lines);
    if (found.empty()) return;
    std::string &line = lines[found[c.Below((unsigned)found.size())]];
    size_t equals = line.find('=');
    std::string value = equals == std::string::npos ? "VP_K201" : line.substr(equals + 1);
    std::string key = equals == std::string::npos ? line : line.substr(0, equals);
    const char *oneCharacter[] = {"X", "\"", "@", " ", ""};
    switch (c.Below(4)) {
    case 0:
        for (size_t quote; (quote = key.find('"')) != std::string::npos;) key.erase(quote, 1);
        break;
    case 1:
        if (!key.empty() && key[0] == '"') key.erase(0, 1);
        break;
    case 2: key = oneCharacter[c.Below(5)]; break;
    default: key = "\"\""; break;
    }
    line = key + "=" + value;
}

void ManyFiles(Corpus &c, Lines &lines)
{
    std::vector<size_t> found = KeyLines(lines, "CopyFiles");
    if (found.empty()) return;
    std::string value;
    for (unsigned i = 0, count = 100 + c.Below(600); i < count; ++i) {
        if (i) value += ',';
        unsigned kind = c.Below(10);
        value += kind == 0 ? "" : kind == 1 ? "@" : "@" + Name(c, 1 + c.Below(3));
    }
    lines[found[c.Below((unsigned)found.size())]] = "CopyFiles=" + value;
}

void ManyModels(Corpus &c, Lines &lines)
{
    for (unsigned i = 0, count = 50 + c.Below(350); i < count; ++i)
        InsertIntoModels(lines, "\"" + Name(c, 1 + c.Below(20)) + "\" = VP_K20" +
                                    std::to_string(1 + c.Below(9)) + ",HW" + std::to_string(i));
}

// Byte mutations, on the joined file.
void NonAscii(Corpus &c, std::string &bytes)
{
    if (c.Below(4) == 0) {
        // Byte-order marks of the encodings the profile reader may guess.
        const char *marks[] = {"\xFF\xFE", "\xFE\xFF", "\xEF\xBB\xBF"};
        bytes.insert(0, marks[c.Below(3)]);
    }
    for (unsigned i = 0, count = 1 + c.Below(40); i < count && !bytes.empty(); ++i)
        bytes[c.Below((unsigned)bytes.size())] = (char)(0x80 + c.Below(0x80));
}

void Nuls(Corpus &c, std::string &bytes)
{
    for (unsigned i = 0, count = 1 + c.Below(20); i < count; ++i)
        bytes.insert(bytes.begin() + c.Below((unsigned)bytes.size() + 1), '\0');
}

void LoneCrs(Corpus &c, std::string &bytes)
{
    bool all = c.Below(3) == 0;
    for (size_t at = bytes.find("\r\n"); at != std::string::npos; at = bytes.find("\r\n", at + 1))
        if (all || c.Below(3) == 0) bytes.erase(at + 1, 1);
    for (unsigned i = 0, count = c.Below(10); i < count; ++i)
        bytes.insert(bytes.begin() + c.Below((unsigned)bytes.size() + 1), '\r');
}

typedef void (*LineMutation)(Corpus &, Lines &);
typedef void (*ByteMutation)(Corpus &, std::string &);

struct Mutation {
    const char *name;
    LineMutation lines;
    ByteMutation bytes;
};

// Line mutations first, so that a mix applies them before the bytes change.
const Mutation kMutations[] = {
    {"long line", LongLine, NULL},
    {"long key", LongKey, NULL},
    {"1023-character value", LongValue, NULL},
    {"missing section", MissingSection, NULL},
    {"duplicate section", DuplicateSection, NULL},
    {"unquoted or one-character key", UnquotedKey, NULL},
    {"copy list overflow", ManyFiles, NULL},
    {"models beyond the key list", ManyModels, NULL},
    {"non-ASCII bytes", NULL, NonAscii},
    {"NULs", NULL, Nuls},
    {"lone CRs", NULL, LoneCrs},
};
const unsigned kMutationCount = sizeof(kMutations) / sizeof(kMutations[0]);

Mutant Mutate(Corpus &c, const Lines &base, const std::vector<unsigned> &chosen)
{
    Mutant mutant = {"", MUTANT_FILE, ""};
    Lines lines = base;
    for (unsigned index : chosen)
        if (kMutations[index].lines) kMutations[index].lines(c, lines);
    for (const std::string &line : lines) mutant.bytes += line + "\r\n";
    for (unsigned index : chosen) {
        if (kMutations[index].bytes) kMutations[index].bytes(c, mutant.bytes);
        mutant.name += (mutant.name.empty() ? "" : " + ") + std::string(kMutations[index].name);
    }
    return mutant;
}

}  // namespace

std::vector<Mutant> MutateSetupInfo(const std::string &base, unsigned seed, int count)
{
    Lines lines;
    for (size_t start = 0; start < base.size();) {
        size_t end = base.find('\n', start);
        if (end == std::string::npos) end = base.size();
        std::string line = base.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }

    Corpus c;
    c.random.seed(seed);
    std::vector<Mutant> corpus = {{"missing file", MUTANT_MISSING, ""},
                                  {"folder in place of the file", MUTANT_DIRECTORY, ""}};
    for (unsigned i = 0; i < kMutationCount; ++i) corpus.push_back(Mutate(c, lines, {i}));
    while ((int)corpus.size() < count) {
        std::vector<unsigned> chosen;
        for (unsigned i = 0, mix = 1 + c.Below(3); i < mix; ++i) chosen.push_back(c.Below(kMutationCount));
        std::sort(chosen.begin(), chosen.end());
        corpus.push_back(Mutate(c, lines, chosen));
    }
    for (size_t i = 0; i < corpus.size(); ++i)
        corpus[i].name = "#" + std::to_string(i) + " " + corpus[i].name;
    return corpus;
}

void PlaceMutant(const Mutant &mutant, const std::string &folder)
{
    std::string path = folder + "\\VP_K20x.INF";
    DeleteFileA(path.c_str());
    RemoveDirectoryA(path.c_str());
    if (mutant.form == MUTANT_FILE) WriteFileBytes(path, mutant.bytes);
    if (mutant.form == MUTANT_DIRECTORY) CreateDirectoryA(path.c_str(), NULL);
}
