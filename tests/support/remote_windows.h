// Finding and working another program's windows, as a person would: by
// caption and class, reading controls, pressing buttons.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

// How long the waits sleep between looks: far quicker than a person, and
// each look lists every window from Wine's server, which costs CPU time
// (much of it under CPU emulation).
const DWORD kLookAgainMs = 30;

// The first top-level window of the process that matches; NULL arguments
// match anything.
HWND FindProcessWindow(DWORD processId, const char *className, const char *caption,
                       bool visibleOnly = true);
HWND WaitForProcessWindow(DWORD processId, const char *className, const char *caption,
                          DWORD timeoutMs, bool visibleOnly = true);
bool WaitForWindowGone(HWND window, DWORD timeoutMs);

// Every visible top-level window of the process.
std::vector<HWND> ProcessWindows(DWORD processId);

std::string WindowText(HWND window);
std::string ControlText(HWND dialog, int controlId);
std::string WindowClass(HWND window);

// Rows of a list box of another process (read in their Unicode form, which
// Wine marshals between processes).
std::vector<std::string> ListRows(HWND list);
int ListSelection(HWND list);

// Presses a button of a dialog as a click would.
void PressButton(HWND dialog, int buttonId);
