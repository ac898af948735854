#include "support/screenshot.h"

#include <gdiplus.h>

#include "support/test_files.h"

std::string SaveWindowScreenshot(HWND window, const char *name)
{
    // Paint what is pending first; another thread's window needs a moment
    // more before the screen shows it.
    RedrawWindow(window, NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    if (GetWindowThreadProcessId(window, NULL) != GetCurrentThreadId()) Sleep(250);
    RECT rect;
    if (!GetWindowRect(window, &rect) || rect.right <= rect.left || rect.bottom <= rect.top) return "";
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    HDC screen = GetDC(NULL), memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    SelectObject(memory, previous);
    DeleteDC(memory);
    ReleaseDC(NULL, screen);

    // The platform's own PNG encoder, through GDI+.
    const CLSID pngEncoder = {0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
    std::string path = ArtifactFolder() + "\\" + name + ".png";
    wchar_t widePath[MAX_PATH * 2] = L"";
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, widePath, MAX_PATH * 2);
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    bool saved = false;
    if (Gdiplus::GdiplusStartup(&token, &input, NULL) == Gdiplus::Ok) {
        Gdiplus::GpBitmap *image = NULL;
        if (Gdiplus::DllExports::GdipCreateBitmapFromHBITMAP(bitmap, NULL, &image) == Gdiplus::Ok) {
            saved = Gdiplus::DllExports::GdipSaveImageToFile(image, widePath, &pngEncoder, NULL) ==
                    Gdiplus::Ok;
            Gdiplus::DllExports::GdipDisposeImage(image);
        }
        Gdiplus::GdiplusShutdown(token);
    }
    DeleteObject(bitmap);
    return saved ? path : "";
}

COLORREF ScreenPixel(int x, int y)
{
    HDC screen = GetDC(NULL);
    COLORREF colour = GetPixel(screen, x, y);
    ReleaseDC(NULL, screen);
    return colour;
}
