// medcheck: tells a vendor, before shipping, whether a medium will install.
//
//   medcheck [--json] [FOLDER]
//
// FOLDER defaults to medcheck's own folder. Exit code 0 when no error was
// found, 1 when one was, 2 when the medium or this machine could not be
// checked or the command line is wrong. Nothing is ever asked of a person.
#include <windows.h>
#include <stdio.h>

#include "medcheck/findings.h"
#include "medcheck/medium_check.h"
#include "platform/ansi_text.h"
#include "platform/install_selection.h"
#include "platform/platform.h"
#include "platform/system_libraries.h"

namespace {

const char kUsage[] =
    "usage: medcheck [--json] [FOLDER]\n"
    "Checks the medium in FOLDER (by default medcheck's own folder) as the wizard\n"
    "would read and copy it, and lists what it would do wrong.\n"
    "  --json          the findings as JSON in UTF-8, each with a stable code\n"
    "  -h, --help, /?  this text\n"
    "Exit code: 0 no error, 1 errors found, 2 the medium or this machine could not\n"
    "be checked, or a wrong command line.\n";

enum { EXIT_NOT_CHECKED = 2 };

void OwnFolder(char *folder)
{
    GetModuleFileNameA(NULL, folder, TEXT_BUFFER_SIZE);
    folder[TEXT_BUFFER_SIZE - 1] = '\0';
    char *slash = (char *)FindLastCharacter(folder, '\\');
    if (slash) *slash = '\0';
}

bool IsHelp(const char *argument)
{
    return lstrcmpA(argument, "--help") == 0 || lstrcmpA(argument, "-h") == 0 ||
           lstrcmpA(argument, "/?") == 0;
}

}  // namespace

int main(int argc, char **argv)
{
    // Run from a medium's folder as often as not: its DLLs come from the
    // system folder, like the wizard's.
    NarrowDllSearch();
    SetModuleInstance(GetModuleHandleA(NULL));
    // No critical-error or open-error box: it runs in unattended builds.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    bool json = false;
    char folder[TEXT_BUFFER_SIZE] = "";
    for (int i = 1; i < argc; ++i) {
        if (IsHelp(argv[i])) {
            fputs(kUsage, stdout);
            return 0;
        }
        if (lstrcmpA(argv[i], "--json") == 0) {
            json = true;
        } else if (argv[i][0] == '-' || folder[0]) {
            fputs(kUsage, stderr);
            return EXIT_NOT_CHECKED;
        } else {
            lstrcpynA(folder, argv[i], sizeof(folder));
        }
    }
    if (!folder[0]) OwnFolder(folder);

    MediumCheckResult result = CheckMedium(folder);
    if (result == MEDIUM_UNREADABLE) {
        fprintf(stderr, "medcheck: cannot read %s\\%s\n", folder, SetupInfoFileName());
        return EXIT_NOT_CHECKED;
    }
    if (result == MEDIUM_NOT_CHECKED) {
        fprintf(stderr, "medcheck: could not check %s: %s\n", CheckedFolder(), CheckFailure());
        return EXIT_NOT_CHECKED;
    }
    if (json)
        PrintFindingsAsJson(CheckedFolder());
    else
        PrintFindingsAsText();
    return result;
}
