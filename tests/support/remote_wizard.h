// Working setup.exe's wizard from another process, as a person would: each
// window is found by class, caption and controls, read as the screen shows
// it, and worked with clicks and keys.
#pragma once
#include <windows.h>
#include <string>

enum WizardWindow {
    WINDOW_READING,  // status window, "Reading setup information..."
    WINDOW_WELCOME,
    WINDOW_MODEL,
    WINDOW_PORT,
    WINDOW_COPY,
    WINDOW_WRITING,  // status window, "Writing system information..."
    WINDOW_FINISH,
};

struct Wizard {
    PROCESS_INFORMATION process;
    DWORD startTick;
};

// Starts the setup.exe of folder with folder as its current directory.
bool StartWizard(Wizard *wizard, const std::string &folder);

// Waits for the program to end by itself; its exit code, or STILL_ACTIVE
// when it had to be killed.
DWORD WaitForWizardExit(Wizard *wizard, DWORD timeoutMs);

// The visible window of the program that is that stage of the wizard; NULL
// after the time-out or once the program has ended.
HWND FindWizardWindow(const Wizard &wizard, WizardWindow which);
HWND WaitForWizardWindow(const Wizard &wizard, WizardWindow which, DWORD timeoutMs);

// Presses a button of a page and waits for the page to go and the next
// window to come; that window, or NULL.
HWND PressAndAwait(const Wizard &wizard, HWND page, int buttonId, WizardWindow next,
                   DWORD timeoutMs);

// Waits until everything posted to the page's thread before the call, and
// what that in turn posted, has been handled; false after the time-out.
bool AwaitPostedInputHandled(HWND page, DWORD timeoutMs);

bool IsControlVisible(HWND dialog, int controlId);
bool IsControlChecked(HWND dialog, int controlId);
// Input as a person gives it: a key to the control with the focus, a click
// or a double click on a list's row.
void PressKey(const Wizard &wizard, WORD virtualKey);
void ClickListRow(HWND list, int row, bool twice);

// Whether any process of that executable name is running in this prefix.
bool ProcessRunning(const char *exeName);
