// medcheck: tells a vendor, before shipping, whether a medium will install.
//
//   medcheck [--json] [FOLDER]
//
// FOLDER defaults to medcheck's own folder. Exit code 0 when no error was
// found, 1 when one was, 2 when the folder or its setup-information file
// cannot be read.
#include <windows.h>
#include <stdio.h>

#include "medcheck/findings.h"
#include "medcheck/medium_check.h"
#include "setupinfo/install_selection.h"
#include "shell/platform.h"
#include "shell/system_libraries.h"

namespace {

void OwnFolder(char *folder)
{
    GetModuleFileNameA(NULL, folder, TEXT_BUFFER_SIZE);
    folder[TEXT_BUFFER_SIZE - 1] = '\0';
    char *slash = strrchr(folder, '\\');
    if (slash) *slash = '\0';
}

}  // namespace

int main(int argc, char **argv)
{
    // Run from a medium's folder as often as not: its DLLs come from the
    // system folder, like the wizard's.
    NarrowDllSearch();
    SetModuleInstance(GetModuleHandleA(NULL));
    SetErrorMode(SEM_FAILCRITICALERRORS);
    bool json = false;
    char folder[TEXT_BUFFER_SIZE] = "";
    for (int i = 1; i < argc; ++i) {
        if (lstrcmpA(argv[i], "--json") == 0) {
            json = true;
        } else if (argv[i][0] == '-' && argv[i][1] == '-') {
            fprintf(stderr, "usage: medcheck [--json] [FOLDER]\n");
            return 2;
        } else {
            lstrcpynA(folder, argv[i], sizeof(folder));
        }
    }
    if (!folder[0]) OwnFolder(folder);

    MediumCheckResult result = CheckMedium(folder);
    if (result == MEDIUM_UNREADABLE) {
        fprintf(stderr, "medcheck: cannot read %s\\%s\n", folder, SetupInfoFileName());
        return 2;
    }
    if (json)
        PrintFindingsAsJson(folder);
    else
        PrintFindingsAsText();
    return result;
}
