// The medium check: reads a medium's setup-information file and files with
// the wizard's own reader and copier code, and records a finding for every
// model, section or file the wizard would handle wrongly.
#pragma once
#include <windows.h>

enum MediumCheckResult {
    MEDIUM_OK = 0,            // no error (warnings may have been found)
    MEDIUM_HAS_ERRORS = 1,
    MEDIUM_UNREADABLE = 2,    // the folder or its setup-information file cannot be read
    MEDIUM_NOT_CHECKED = 3,   // this machine could not check it (CheckFailure says why)
};

// folder: the medium's folder, relative or full.
MediumCheckResult CheckMedium(const char *folder);

// The medium's folder as a full path, once CheckMedium has run.
const char *CheckedFolder();

// Why the last check could not be done, or "".
const char *CheckFailure();
