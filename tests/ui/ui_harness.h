// Windows for the dialog-kit and drawing tests: an owner window in this
// thread, message pumping, and screenshots taken once Wine shows the window.
#pragma once
#include <windows.h>
#include <functional>
#include "shell/platform.h"
#include "support/screenshot.h"

// Every message of the owner window is offered here first (true: handled).
inline std::function<bool(UINT message, WPARAM wParam, LPARAM lParam)> g_ownerHandler;

inline LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (g_ownerHandler && g_ownerHandler(message, wParam, lParam)) return TRUE;
    return DefWindowProcA(window, message, wParam, lParam);
}

inline void PumpMessages(DWORD milliseconds)
{
    DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, NULL, FALSE, 10, QS_ALLINPUT);
    } while (GetTickCount() - start < milliseconds);
}

inline HWND CreateOwnerWindow(int x, int y, int width, int height)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = OwnerProc;
    wc.hInstance = ModuleInstance();
    wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    wc.lpszClassName = "KitTestOwner";
    RegisterClassA(&wc);  // fails harmlessly once registered
    HWND window = CreateWindowExA(0, "KitTestOwner", "Owner", WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE,
                                  x, y, width, height, NULL, NULL, ModuleInstance(), NULL);
    PumpMessages(50);
    return window;
}

// Saves a window of this thread once the screen shows what the window holds
// (given up to 3 s): Wine puts a painting on the screen a while after it is
// done. Compared on a grid of single pixels, which come from the window
// itself, not from the screen.
inline void Screenshot(HWND window, const char *name)
{
    RedrawWindow(window, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    RECT rect;
    GetWindowRect(window, &rect);
    HDC own = GetWindowDC(window);
    for (int i = 0, same = 0; i < 30 && !same; ++i) {
        PumpMessages(100);
        same = 1;
        for (int y = 0; y < rect.bottom - rect.top && same; y += 6)
            for (int x = 0; x < rect.right - rect.left && same; x += 6) {
                COLORREF held = GetPixel(own, x, y);
                same = held == CLR_INVALID || held == ScreenPixel(rect.left + x, rect.top + y);
            }
    }
    ReleaseDC(window, own);
    SaveWindowScreenshot(window, name);
}
