// The medium check: reads a medium's setup-information file and files with
// the wizard's own reader and copier code, and records a finding for every
// model, section or file the wizard would handle wrongly.
#pragma once
#include <windows.h>

enum MediumCheckResult {
    MEDIUM_OK = 0,          // no error (warnings may have been found)
    MEDIUM_HAS_ERRORS = 1,
    MEDIUM_UNREADABLE = 2,  // the folder or its setup-information file cannot be read
};

// folder: the medium's folder, without a trailing backslash.
MediumCheckResult CheckMedium(const char *folder);
