// Screenshots of windows as PNG files, for a person to look at.
#pragma once
#include <windows.h>
#include <string>

// Saves what the screen shows of the window as ArtifactFolder()\name.png;
// returns the file's path, or "" when nothing could be captured.
std::string SaveWindowScreenshot(HWND window, const char *name);

// The colour of one pixel of the screen, as the platform's COLORREF.
COLORREF ScreenPixel(int x, int y);
