// Copy progress page "Copying Files...": copies every file of the CopyList
// with a percentage bar, all or nothing; cancel with confirmation; retry.
#pragma once
#include <windows.h>

enum {
    CMD_RETRY_COPY = 1009,
    TIMER_COPY_START = 3005,
    TIMER_COPY_DONE = 3006,
};

// Returns 1 when every file is copied and the set is in place, 2 when
// cancelled or failed, with the installed files as they were.
INT_PTR RunCopyPage(HWND owner);
