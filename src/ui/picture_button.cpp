// The picture button of the wizard pages: the logo bitmap squeezed into a
// sunken frame, and the frame itself.
#include "ui/owner_draw.h"
#include "platform/platform.h"
#include "resource.h"

void DrawSunkenFrame(const RECT *rect, HDC dc)
{
    const LONG l = rect->left, t = rect->top, r = rect->right, b = rect->bottom;
    HBRUSH face = CreateSolidBrush(GetSysColor(COLOR_BTNSHADOW));
    HPEN light = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
    HPEN shadow = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));

    if (face) FillRect(dc, rect, face);
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
    MoveToEx(dc, l - 1, b - 1, NULL);
    LineTo(dc, l - 1, t - 1);
    LineTo(dc, r, t - 1);
    // The highlight lies one pixel beyond the right and bottom edges.
    if (light) {
        SelectObject(dc, light);
        MoveToEx(dc, r + 1, t - 2, NULL);
        LineTo(dc, r + 1, b + 1);
        LineTo(dc, l - 3, b + 1);
    }
    if (shadow) {
        SelectObject(dc, shadow);
        MoveToEx(dc, r, t - 2, NULL);
        LineTo(dc, l - 2, t - 2);
        LineTo(dc, l - 2, b + 1);
    }
    SelectObject(dc, oldPen);

    if (face) DeleteObject(face);
    if (light) DeleteObject(light);
    if (shadow) DeleteObject(shadow);
}

void DrawPictureButton(const DRAWITEMSTRUCT *draw)
{
    if (draw->itemID == (UINT)-1) return;
    HBITMAP bitmap = LoadBitmapA(ModuleInstance(), MAKEINTRESOURCEA(BMP_LOGO));
    if (!bitmap) return;
    HDC memory = CreateCompatibleDC(draw->hDC);
    if (!memory) {
        DeleteObject(bitmap);
        return;
    }

    RECT picture;
    SetRect(&picture, draw->rcItem.left + 2, draw->rcItem.top + 2, draw->rcItem.right - 2,
            draw->rcItem.bottom - 2);
    DrawSunkenFrame(&picture, draw->hDC);

    // The whole picture into the frame, aspect ratio not kept, with whatever
    // stretch mode the button's context has.
    BITMAP size;
    if (GetObjectA(bitmap, sizeof(size), &size)) {
        HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
        StretchBlt(draw->hDC, picture.left, picture.top, picture.right - picture.left,
                   picture.bottom - picture.top, memory, 0, 0, size.bmWidth, size.bmHeight, SRCCOPY);
        SelectObject(memory, oldBitmap);
    }
    DeleteDC(memory);
    DeleteObject(bitmap);
}
