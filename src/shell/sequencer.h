// The wizard sequencer: the main window's procedure. It starts each page,
// reads its result and posts itself the command for the next stage.
#pragma once
#include <windows.h>

// Commands posted to the main window as WM_COMMAND (code in wParam).
enum WizardCommand {
    CMD_WELCOME = 1000,
    CMD_MODEL = 1001,
    CMD_PORT = 1002,
    CMD_COPY = 1003,
    CMD_INSTALL = 1008,
};

// One-shot timers of the main window.
enum SequencerTimer {
    TIMER_READING = 3001,
    TIMER_READ_DONE = 3002,
    TIMER_INSTALL = 3003,
    TIMER_FINISH = 3004,
    TIMER_REINSTALL = 3007,
};

LRESULT CALLBACK SequencerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
