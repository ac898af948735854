// The page background at any DPI. The picture is drawn for the page at 96
// DPI and shown there as it is, whatever the font makes of the page. Where
// the page outgrows it at a higher DPI, the artwork left of the near-white
// panel is scaled to the page's height, keeping its proportions, and the
// flat panel with the blue margin around it is stretched over the rest, so
// that every control of the page lies on the panel as at 96 DPI.
#include "ui/page_background.h"

namespace {

// Columns of BMP_BACKGROUND (tools/make-art.py, PANEL_BOUNDS): the artwork
// ends where the panel begins, and the right margin begins where it ends.
const int kPanelLeft = 181;
const int kPanelEnd = 491;
// The DPI the picture is drawn for.
const int kPictureDpi = 96;

// The background is the first control of every page template.
HWND BackgroundControl(HWND dialog)
{
    return GetWindow(dialog, GW_CHILD);
}

HBITMAP ShownPicture(HWND control)
{
    return control ? (HBITMAP)SendMessageA(control, STM_GETIMAGE, IMAGE_BITMAP, 0) : NULL;
}

// Draws the picture's columns from..to over the target's columns x..x+width,
// each at the full height of both.
void StretchColumns(HDC target, int x, int width, int height, HDC source, int from, int to,
                    int sourceHeight)
{
    StretchBlt(target, x, 0, width, height, source, from, 0, to - from, sourceHeight, SRCCOPY);
}

// The picture redrawn for a client area of width by height, or NULL.
HBITMAP ScaledPicture(HBITMAP picture, const BITMAP &size, HDC screen, int width, int height)
{
    if (size.bmWidth <= kPanelEnd) return NULL;
    int art = MulDiv(kPanelLeft, height, size.bmHeight);
    int margin = MulDiv(size.bmWidth - kPanelEnd, height, size.bmHeight);
    // A page narrow for its height keeps a panel all the same.
    if (art + margin >= width) art = width - margin - 1;
    if (art < 1) return NULL;

    HDC source = CreateCompatibleDC(screen);
    HDC target = CreateCompatibleDC(screen);
    HBITMAP scaled = CreateCompatibleBitmap(screen, width, height);
    if (source && target && scaled) {
        HGDIOBJ oldSource = SelectObject(source, picture);
        HGDIOBJ oldTarget = SelectObject(target, scaled);
        // Whole pixels: at these small factors the artwork stays crisp, and
        // Wine's halftone stretch leaves dark streaks in it.
        SetStretchBltMode(target, COLORONCOLOR);
        StretchColumns(target, 0, art, height, source, 0, kPanelLeft, size.bmHeight);
        StretchColumns(target, art, width - art - margin, height, source, kPanelLeft, kPanelEnd,
                       size.bmHeight);
        StretchColumns(target, width - margin, margin, height, source, kPanelEnd, size.bmWidth,
                       size.bmHeight);
        SelectObject(source, oldSource);
        SelectObject(target, oldTarget);
    } else if (scaled) {
        DeleteObject(scaled);
        scaled = NULL;
    }
    if (source) DeleteDC(source);
    if (target) DeleteDC(target);
    return scaled;
}

}  // namespace

void FitPageBackground(HWND dialog)
{
    HWND control = BackgroundControl(dialog);
    HBITMAP picture = ShownPicture(control);
    BITMAP size;
    RECT client;
    if (!picture || !GetObjectA(picture, sizeof(size), &size) || !GetClientRect(dialog, &client))
        return;
    if (client.right <= size.bmWidth && client.bottom <= size.bmHeight) return;
    HDC screen = GetDC(dialog);
    if (!screen) return;
    HBITMAP scaled = NULL;
    if (GetDeviceCaps(screen, LOGPIXELSY) > kPictureDpi)
        scaled = ScaledPicture(picture, size, screen, client.right, client.bottom);
    ReleaseDC(dialog, screen);
    if (!scaled) return;
    // The control's own picture is put back before the page goes.
    SetWindowLongPtrA(dialog, DWLP_USER, (LONG_PTR)picture);
    SendMessageA(control, STM_SETIMAGE, IMAGE_BITMAP, (LPARAM)scaled);
    SetWindowPos(control, NULL, 0, 0, client.right, client.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
}

void ReleasePageBackground(HWND dialog)
{
    HBITMAP picture = (HBITMAP)GetWindowLongPtrA(dialog, DWLP_USER);
    HWND control = BackgroundControl(dialog);
    if (!picture || !control) return;
    SetWindowLongPtrA(dialog, DWLP_USER, 0);
    HBITMAP scaled = (HBITMAP)SendMessageA(control, STM_SETIMAGE, IMAGE_BITMAP, (LPARAM)picture);
    if (scaled && scaled != picture) DeleteObject(scaled);
}
