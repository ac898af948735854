// Driver file copier: copies (and LZ-expands) one file of the CopyList into
// the spooler's driver directory and its version subdirectory.
#pragma once
#include <windows.h>

enum CopyOutcome {
    COPY_FAILED = 0,
    COPY_OK = 1,
    COPY_RETRY = 1009,
};

// Copies CopyList entry index; shows the file and the directory in the
// page's IDC_COPY_FILE and IDC_COPY_DEST and reports any failure.
CopyOutcome CopyDriverFile(HWND page, LONG index);

// Error code 1 (open failure) or an LZERROR_* code, shown in a message dialog.
void ReportCopyError(HWND owner, int errorCode);
