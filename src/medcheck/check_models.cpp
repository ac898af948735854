// Models check: the models section's keys as the wizard lists them, each
// listed model's name and line, and its install section read as choosing it
// would read it.
#include <stdio.h>

#include "medcheck/checks.h"
#include "medcheck/findings.h"
#include "setupinfo/setup_info.h"
#include "platform/ansi_text.h"
#include "platform/platform.h"

namespace {

// Windows takes printer names of at most 220 characters.
const int kLongestPrinterName = 220;

// What each field of a model's line is, in order.
const char *const kModelFieldNames[] = {"install section", "hardware id"};

char g_keys[WHOLE_READ_SIZE];

// The models the wizard lists, each once, in order.
char g_listedNames[TEXT_BUFFER_SIZE * 2];
int g_listedUsed;

bool HasEdgeBlank(const char *text)
{
    return text[0] == ' ' || EndsWithCharacter(text, ' ');
}

void CheckModelName(const char *subject, const char *name)
{
    // By characters: the second byte of a double-byte character may be that
    // of a backslash, and the spooler counts characters.
    if (FindCharacter(name, ','))
        AddFinding(FINDING_ERROR, "model-name-comma", subject,
                   "the name holds a comma: the default-printer entry joins printer, driver and "
                   "port with commas, so the printer could not become the default; remove the comma");
    if (FindCharacter(name, '\\'))
        AddFinding(FINDING_ERROR, "model-name-backslash", subject,
                   "the name holds a backslash, which the spooler refuses in a printer name; "
                   "remove it");
    int length = CharacterCount(name);
    if (length > kLongestPrinterName)
        AddFinding(FINDING_ERROR, "model-name-too-long", subject,
                   "the name has %d characters, more than the %d the spooler takes for a printer; "
                   "shorten it", length, kLongestPrinterName);
}

void CheckModelKey(const char *key, int index, WORD listed)
{
    char subject[FINDING_SUBJECT_SIZE];
    snprintf(subject, sizeof(subject), "model key '%s'", key);
    int length = lstrlenA(key);
    if (CharacterCount(key) < 3) {
        AddFinding(FINDING_ERROR, "model-key-short", subject,
                   "the key is shorter than three characters: the wizard drops its first and "
                   "last character and lists an empty or one-letter name; quote the model name");
        return;
    }
    if (key[0] != '"' || !EndsWithCharacter(key, '"'))
        AddFinding(FINDING_ERROR, "model-key-unquoted", subject,
                   "the key is not quoted: the wizard drops its first and last letter and lists "
                   "a name that is not the model's; write it as \"%s\"", key);
    for (const char *earlier = g_keys; earlier != key; earlier += lstrlenA(earlier) + 1) {
        if (lstrcmpiA(earlier, key) == 0) {
            AddFinding(FINDING_ERROR, "model-key-case-twin", subject,
                       "the key differs from the earlier '%s' only in letter case: the wizard "
                       "lists only the first; give the model a name of its own", earlier);
            break;
        }
    }
    if (index >= listed) {
        AddFinding(FINDING_ERROR, "model-keys-too-long", subject,
                   "the models section's key list is longer than the 1024 bytes the wizard "
                   "reads, so this model is not listed; shorten the names or ship fewer models "
                   "on this medium");
        return;
    }
    char name[TEXT_BUFFER_SIZE] = "";
    ModelNameAt((WORD)index, name);
    if (!name[0] && length >= TEXT_BUFFER_SIZE)
        AddFinding(FINDING_ERROR, "model-key-too-long", subject,
                   "the key is %d characters long, too long for the wizard to look up again, "
                   "so it is not listed; shorten it", length);
}

// Keys of the models section as the wizard sees them: quoted, long enough,
// not a case twin of an earlier one, and within the wizard's buffers.
void CheckModelKeys(const char *section)
{
    WORD listed = ModelCount();
    int index = 0;
    for (const char *key = g_keys; *key; key += lstrlenA(key) + 1, ++index)
        CheckModelKey(key, index, listed);
    if (index == 0)
        AddFinding(FINDING_ERROR, "models-none", section,
                   "the models section lists no models: the wizard would offer nothing to "
                   "install; add a line \"Model name\" = INSTALL_SECTION,HARDWARE_ID");
}

// Fields of the model's line with a blank beside a comma; FALSE when the
// install section's name has one, as no section of that name is meant.
bool CheckModelFields(const char *subject, const char *line)
{
    bool sectionClean = true;
    const char *fields = line;
    char field[TEXT_BUFFER_SIZE];
    for (int index = 0; NextModelField(fields, field, sizeof(field)); ++index) {
        if (!HasEdgeBlank(field)) continue;
        const char *what = index < 2 ? kModelFieldNames[index] : "field";
        AddFinding(FINDING_ERROR, "model-field-blank", subject,
                   "the %s \"%s\" has a blank beside a comma: the wizard splits the line at the "
                   "commas alone, so the blank becomes part of the %s; remove the blank",
                   what, field, what);
        if (index == 0) sectionClean = false;
    }
    return sectionClean;
}

// One model that the wizard lists, checked as choosing it would go.
void CheckListedModel(const char *model)
{
    char subject[FINDING_SUBJECT_SIZE];
    snprintf(subject, sizeof(subject), "model \"%s\"", model);
    CheckModelName(subject, model);

    char line[TEXT_BUFFER_SIZE];
    ReadModelLine(model, line);
    const char *fields = line;
    char installSection[TEXT_BUFFER_SIZE];
    if (!NextModelField(fields, installSection, sizeof(installSection))) {
        AddFinding(FINDING_ERROR, "install-section-unnamed", subject,
                   "the model's line names no install section: the wizard would copy nothing and "
                   "register a driver without files; write \"%s\" = INSTALL_SECTION,HARDWARE_ID",
                   model);
        return;
    }
    if (!CheckModelFields(subject, line)) return;
    if (!SectionExists(installSection)) {
        AddFinding(FINDING_ERROR, "install-section-missing", subject,
                   "the install section [%s] does not exist: the wizard would copy nothing and "
                   "register a driver without files; add the section or correct its name",
                   installSection);
        return;
    }
    if (!ModelHardwareId(model))
        AddFinding(FINDING_WARNING, "hardware-id-missing", subject,
                   "the model's line has no hardware id: the driver is registered without one; "
                   "add it after the install section, separated by a comma");

    lstrcpynA(g_install.modelName, model, TEXT_BUFFER_SIZE);
    ReadInstallData();
    if (CheckCopyFiles(model, installSection)) {
        CheckRegisteredFiles(subject, installSection);
        NoteCopyList(model);
    }
    CheckDataSection(subject, installSection);
}

bool AlreadyListed(const char *name)
{
    for (const char *seen = g_listedNames; seen < g_listedNames + g_listedUsed;
         seen += lstrlenA(seen) + 1)
        if (lstrcmpiA(seen, name) == 0) return true;
    return false;
}

void NoteListed(const char *name)
{
    int length = lstrlenA(name) + 1;
    if (g_listedUsed + length > (int)sizeof(g_listedNames)) return;
    CopyMemory(g_listedNames + g_listedUsed, name, length);
    g_listedUsed += length;
}

// A name cut from an unquoted key is no model's: its key's finding says all
// there is.
bool HasQuotedKey(const char *name)
{
    char key[TEXT_BUFFER_SIZE + 2];
    snprintf(key, sizeof(key), "\"%s\"", name);
    for (const char *k = g_keys; *k; k += lstrlenA(k) + 1)
        if (lstrcmpA(k, key) == 0) return true;
    return false;
}

}  // namespace

void CheckModels()
{
    const char *section = ModelsSectionName();
    char subject[FINDING_SUBJECT_SIZE];
    snprintf(subject, sizeof(subject), "section [%s]", section);
    if (!SectionExists(section)) {
        AddFinding(FINDING_ERROR, "models-section-missing", SetupInfoFileName(),
                   "the models section [%s] is missing: the wizard would offer no model; add it",
                   section);
        return;
    }
    GetPrivateProfileStringA(section, NULL, "", g_keys, sizeof(g_keys), SetupInfoPath());
    CheckModelKeys(subject);
    // Each model as the wizard lists it: case twins are listed once.
    g_listedUsed = 0;
    WORD listed = ModelCount();
    for (WORD i = 0; i < listed; ++i) {
        char name[TEXT_BUFFER_SIZE] = "";
        ModelNameAt(i, name);
        if (!name[0] || AlreadyListed(name) || !HasQuotedKey(name)) continue;
        CheckListedModel(name);
        NoteListed(name);
    }
}
