// For the hardening tests: copies of the sample medium, planted marker DLLs
// that Wine takes before its builtin copies, a wizard worked through to its
// end whatever it shows, and listings of the prefix's file tree.
#pragma once
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "e2e/wizard_driver.h"

// The sample medium copied into a temporary folder of its own.
std::string CopyOfSampleMedium(const char *tag);

// Names of the marker DLLs: DLLs that are not among the system's known DLLs
// and that the program or the system's components would load by name.
extern const char *const kMarkerNames[3];

// Puts the marker of that name into folder; false when it cannot.
bool PlantMarker(const char *name, const std::string &folder);
// The marker of that name in folder has been loaded by some process.
bool MarkerLoaded(const char *name, const std::string &folder);

// Makes Wine take the markers' names from a file before its own builtin
// copies, for programs of that file name alone, as Windows takes DLLs that
// are not known DLLs.
void PreferNativeMarkers(const char *exeName);

struct WizardOutcome {
    bool finishShown;                   // the finish page was reached
    DWORD exitCode;                     // STILL_ACTIVE when it had to be killed
    std::vector<std::string> messages;  // texts of the message dialogs met on the way
};

// Works the wizard as a patient user: Next on every page, OK or Yes in every
// message, Cancel (confirmed) on a model page that lists nothing, OK on the
// finish page; until the program ends or the time is up.
WizardOutcome WorkWizardToItsEnd(Wizard *wizard, DWORD timeoutMs);

struct TreeEntry {
    bool directory;
    ULONGLONG size;
    ULONGLONG lastWrite;
};
typedef std::map<std::string, TreeEntry> TreeListing;

// The prefix's files: those at its root (not in its subfolders) and all of
// drive C:, by Windows path.
TreeListing ListPrefixTree();

// Paths added, removed or changed in size or last-write time, leaving out
// what Wine changes by itself whatever the program does.
std::vector<std::string> ChangedPaths(const TreeListing &before, const TreeListing &after);

// The parent folder of a path (without its trailing backslash).
std::string ParentOf(const std::string &path);
