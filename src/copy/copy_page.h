// Copy progress page "Copying Files...": copies every file of the CopyList
// with a percentage bar, all or nothing; cancel with confirmation; retry.
#pragma once
#include <windows.h>

enum {
    CMD_RETRY_COPY = 1009,
    TIMER_COPY_START = 3005,
    TIMER_COPY_DONE = 3006,
};

// Returns 1 when every file is copied, 2 when cancelled or failed; only a
// cancel confirmed in the page's last second comes after the files are in
// place.
INT_PTR RunCopyPage(HWND owner);
