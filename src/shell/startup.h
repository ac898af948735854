// Start-up: platform check, main window class and hidden main window, and
// the message loop that runs until the wizard ends.
#pragma once
#include <windows.h>

// Runs the whole program; returns the process exit code (always 0).
int RunSetup(HINSTANCE instance);
