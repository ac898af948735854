// Medium check: the folder and its setup-information file opened, the checks
// run in the order the wizard meets what they check, and the files beside
// the setup-information file looked for.
#include "medcheck/medium_check.h"

#include <stdarg.h>
#include <stdio.h>

#include "medcheck/checks.h"
#include "medcheck/findings.h"
#include "setupinfo/setup_info.h"
#include "platform/ansi_text.h"
#include "platform/platform.h"
#include "spooler/registration.h"

MediumCheckState g_check;

namespace {

const char kWizardFileName[] = "setup.exe";

void CheckMediumFiles()
{
    char path[TEXT_BUFFER_SIZE];
    char subject[FINDING_SUBJECT_SIZE];
    snprintf(subject, sizeof(subject), "file \"%s\"", kWizardFileName);
    if (!FileInFolder(kWizardFileName, path))
        AddFinding(FINDING_ERROR, "setup-missing", subject,
                   "the file is not beside %s: there is no wizard to install the medium; add it",
                   SetupInfoFileName());
    snprintf(subject, sizeof(subject), "file \"%s\"", DriverDateFileName());
    if (!FileInFolder(DriverDateFileName(), path))
        AddFinding(FINDING_WARNING, "date-file-missing", subject,
                   "the file is not in the medium's folder: the driver is registered without a "
                   "date; add it");
}

// FALSE when the folder is no folder or its setup-information file does not
// open for reading.
bool OpenMedium(const char *folder)
{
    char *full = g_check.folder;
    DWORD length = GetFullPathNameA(folder, sizeof(g_check.folder), full, NULL);
    if (length == 0 || length >= sizeof(g_check.folder)) return false;
    // By characters: a folder name may end in a double-byte character whose
    // second byte is that of a backslash.
    while (lstrlenA(full) > 3 && (EndsWithCharacter(full, '\\') || EndsWithCharacter(full, '/')))
        *(char *)LastCharacter(full) = '\0';
    DWORD attributes = GetFileAttributesA(full);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    snprintf(g_install.setupInfoPath, TEXT_BUFFER_SIZE, "%s\\%s", full, SetupInfoFileName());
    HANDLE inf = CreateFileA(SetupInfoPath(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, NULL);
    if (inf == INVALID_HANDLE_VALUE) return false;
    CloseHandle(inf);
    return true;
}

}  // namespace

bool FileInFolder(const char *name, char *path)
{
    snprintf(path, TEXT_BUFFER_SIZE, "%s\\%s", g_check.folder, name);
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool SectionExists(const char *name)
{
    for (const char *s = g_check.sections; *s; s += lstrlenA(s) + 1)
        if (lstrcmpiA(s, name) == 0) return true;
    return false;
}

void CouldNotCheck(const char *format, ...)
{
    if (g_check.failure[0]) return;
    va_list args;
    va_start(args, format);
    vsnprintf(g_check.failure, sizeof(g_check.failure), format, args);
    va_end(args);
}

MediumCheckResult CheckMedium(const char *folder)
{
    ClearFindings();
    ClearNotedFiles();
    ZeroMemory(&g_install, sizeof(g_install));
    g_install.environment = SpoolerEnvironment();
    g_check.failure[0] = '\0';
    g_check.sections[0] = '\0';
    if (!OpenMedium(folder)) return MEDIUM_UNREADABLE;

    GetPrivateProfileSectionNamesA(g_check.sections, sizeof(g_check.sections), SetupInfoPath());
    CheckModels();
    CheckNotedFiles();
    CheckMediumFiles();
    if (g_check.failure[0]) return MEDIUM_NOT_CHECKED;
    return ErrorCount() ? MEDIUM_HAS_ERRORS : MEDIUM_OK;
}

const char *CheckedFolder() { return g_check.folder; }

const char *CheckFailure() { return g_check.failure; }
