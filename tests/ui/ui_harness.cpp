#include "ui_harness.h"
#include "shell/platform.h"
#include "support/screenshot.h"

std::function<bool(UINT, WPARAM, LPARAM)> g_ownerHandler;

namespace {

LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (g_ownerHandler && g_ownerHandler(message, wParam, lParam)) return TRUE;
    return DefWindowProcA(window, message, wParam, lParam);
}

BOOL CALLBACK FindDialog(HWND window, LPARAM found)
{
    char name[32] = "";
    GetClassNameA(window, name, sizeof(name));
    if (lstrcmpA(name, "#32770") != 0 || !IsWindowVisible(window)) return TRUE;
    *(HWND *)found = window;
    return FALSE;
}

}  // namespace

HWND CreateOwnerWindow(int x, int y, int width, int height)
{
    WNDCLASSA wc;
    ZeroMemory(&wc, sizeof(wc));
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

void PumpMessages(DWORD milliseconds)
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

std::thread DriveDialog(std::function<void(HWND)> look)
{
    DWORD thread = GetCurrentThreadId();
    return std::thread([thread, look]() {
        for (int i = 0; i < 500; ++i) {
            HWND found = NULL;
            EnumThreadWindows(thread, FindDialog, (LPARAM)&found);
            if (found) {
                Sleep(200);  // the modal loop paints it meanwhile
                look(found);
                return;
            }
            Sleep(20);
        }
    });
}

namespace {

// True when the screen shows what the window holds. The window's pixels are
// read one by one: under Wine a block copy from a window's context comes out
// as late as the screen, single pixels come from the window itself.
bool ScreenCaughtUp(HWND window)
{
    RECT rect;
    GetWindowRect(window, &rect);
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    HDC screen = GetDC(NULL), own = GetWindowDC(window);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info;
    ZeroMemory(&info, sizeof(info));
    info.bmiHeader = {sizeof(info.bmiHeader), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void *bits = NULL;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, NULL, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    GdiFlush();
    bool same = bits != NULL;
    for (int y = 0; y < height && same; ++y)
        for (int x = 0; x < width && same; ++x) {
            COLORREF held = GetPixel(own, x, y);
            DWORD shown = ((const DWORD *)bits)[(size_t)y * width + x];
            same = held == CLR_INVALID || held == RGB(shown >> 16 & 0xFF, shown >> 8 & 0xFF, shown & 0xFF);
        }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(window, own);
    ReleaseDC(NULL, screen);
    return same;
}

}  // namespace

void Screenshot(HWND window, const char *name)
{
    // Wine puts a painting on the screen a while after it is done.
    RedrawWindow(window, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    for (int i = 0; i < 30 && !ScreenCaughtUp(window); ++i) PumpMessages(100);
    SaveWindowScreenshot(window, name);
}
