// Windows for the dialog-kit and drawing tests: an owner window in this
// thread, and a second thread that finds the modal dialog this thread opens
// and answers it by control id.
#pragma once
#include <windows.h>
#include <functional>
#include <thread>

// A visible top-level window; its procedure offers every message to
// g_ownerHandler first (true: handled).
HWND CreateOwnerWindow(int x, int y, int width, int height);
extern std::function<bool(UINT message, WPARAM wParam, LPARAM lParam)> g_ownerHandler;

void PumpMessages(DWORD milliseconds);

// Runs `look` on a second thread once a dialog of this thread is visible.
std::thread DriveDialog(std::function<void(HWND dialog)> look);

// Saves a window of this thread once the screen shows what it holds (given
// up to 3 s).
void Screenshot(HWND window, const char *name);
