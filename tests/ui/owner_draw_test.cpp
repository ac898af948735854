// The list filler, the owner-drawn rows, the sunken frame and the picture
// button, checked on the pixels that end up in the windows.
#include <gtest/gtest.h>
#include <set>
#include <vector>
#include "resource.h"
#include "shell/platform.h"
#include "support/windows_driver.h"
#include "ui/owner_draw.h"
#include "ui_harness.h"

namespace {

const int kList = 100;
const COLORREF kRed = RGB(255, 0, 0);

std::vector<const char *> g_texts;  // what the fetch writes per index; NULL: nothing

void FetchFromTable(WORD index, char *text)
{
    if (index < g_texts.size() && g_texts[index]) lstrcpynA(text, g_texts[index], 1024);
}

void ChoosePrinter(const char *, char *iconName) { lstrcpynA(iconName, "IDI_PRINTER", 1024); }

class OwnerDrawTest : public testing::Test {
protected:
    void SetUp() override
    {
        g_ownerHandler = [](UINT message, WPARAM wParam, LPARAM lParam) {
            if (message == WM_MEASUREITEM) MeasureRow((MEASUREITEMSTRUCT *)lParam);
            if (message == WM_DRAWITEM) DrawRow((const DRAWITEMSTRUCT *)lParam, ChoosePrinter);
            return message == WM_MEASUREITEM || message == WM_DRAWITEM;
        };
        owner = CreateOwnerWindow(100, 100, 500, 300);
        list = CreateWindowExA(0, "LISTBOX", NULL,
                               WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | LBS_NOTIFY |
                                   LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT,
                               10, 10, 320, 150, owner, (HMENU)kList, ModuleInstance(), NULL);
        SendMessageA(list, WM_SETFONT, (WPARAM)GetStockObject(DEFAULT_GUI_FONT), TRUE);
    }
    void TearDown() override
    {
        DestroyWindow(owner);
        g_ownerHandler = nullptr;
    }

    std::vector<std::string> Fill(std::vector<const char *> texts, SHORT count)
    {
        g_texts = texts;
        FillList(owner, kList, count, FetchFromTable);
        return ListRows(list);
    }

    // A rectangle of the window painted red, so that what is drawn shows.
    HDC RedArea(RECT area)
    {
        HDC dc = GetDC(owner);
        HBRUSH red = CreateSolidBrush(kRed);
        FillRect(dc, &area, red);
        DeleteObject(red);
        return dc;
    }

    HWND owner = NULL, list = NULL;
};

typedef std::vector<std::string> Rows;

TEST_F(OwnerDrawTest, FillListAddsEachTextOnceInFetchOrder)
{
    EXPECT_EQ((Rows{"A", "B", "C"}), Fill({"A", "B", "a", "C"}, 4));
    EXPECT_EQ(LB_ERR, ListSelection(list));  // the filler selects nothing

    for (SHORT count : {0, -1}) {
        Fill({"A", "B"}, 2);
        EXPECT_EQ(Rows{}, Fill({"X"}, count)) << count;
    }
    // A fetch that writes nothing adds no row, not even the first time.
    EXPECT_EQ(Rows{}, Fill({NULL, NULL}, 2));
    EXPECT_EQ((Rows{"X", "Y"}), Fill({NULL, "X", NULL, "Y"}, 4));
}

TEST_F(OwnerDrawTest, SelectedFocusedRowIsHighlightedWithIconTextAndFocusRectangle)
{
    Fill({"Model HX-20", "Second model"}, 2);
    EXPECT_EQ(34, SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
    SendMessageA(list, LB_SETCURSEL, 0, 0);
    SetForegroundWindow(owner);
    SetFocus(list);
    InvalidateRect(list, NULL, TRUE);
    UpdateWindow(list);
    Screenshot(owner, "rows_selected_focused");

    RECT row;
    SendMessageA(list, LB_GETITEMRECT, 0, (LPARAM)&row);
    const COLORREF hi = GetSysColor(COLOR_HIGHLIGHT);
    const int b = LOWORD(GetDialogBaseUnits());
    HDC dc = GetDC(list);

    // Highlight over the whole width beside the icon, above the text.
    for (int x = row.left + 1; x < row.right - 1; ++x)
        if ((x < b || x >= b + 32) && GetPixel(dc, x, row.top + 2) != hi) ADD_FAILURE() << "x " << x;

    // The icon at (b, top + 1), as the system draws it over the highlight.
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, 32, 32);
    HGDIOBJ old = SelectObject(memory, bitmap);
    RECT square = {0, 0, 32, 32};
    HBRUSH brush = CreateSolidBrush(hi);
    FillRect(memory, &square, brush);
    DrawIcon(memory, 0, 0, LoadIconA(ModuleInstance(), "IDI_PRINTER"));
    int iconWrong = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) iconWrong += GetPixel(memory, x, y) != GetPixel(dc, b + x, row.top + 1 + y);
    EXPECT_EQ(0, iconWrong);
    SelectObject(memory, old);
    DeleteObject(brush);
    DeleteObject(bitmap);
    DeleteDC(memory);

    // The text's first ink (the M's stem) at 2b + 32, nothing between it and the icon.
    int ink = -1;
    for (int x = b + 32; x < row.right && ink < 0; ++x)
        for (int y = row.top + 1; y < row.bottom - 1 && ink < 0; ++y)
            if (GetPixel(dc, x, y) != hi) ink = x;
    EXPECT_GE(ink, 2 * b + 32);
    EXPECT_LE(ink, 2 * b + 34);

    // Dotted focus rectangle along the top and bottom edges of the row.
    int dots = 0;
    for (int x = row.left; x < row.right; ++x)
        dots += (GetPixel(dc, x, row.top) != hi) + (GetPixel(dc, x, row.bottom - 1) != hi);
    EXPECT_GE(dots, (row.right - row.left) * 2 / 3);

    SendMessageA(list, LB_GETITEMRECT, 1, (LPARAM)&row);
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), GetPixel(dc, row.right - 3, row.top));
    ReleaseDC(list, dc);
}

// Windows asks the owner of an empty list to draw its focus (item -1); Wine's
// list box draws that focus rectangle itself, so the request is made here as
// Windows would make it, on a spare part of the window.
TEST_F(OwnerDrawTest, EmptyListWithTheFocusDrawsNothing)
{
    Fill({}, 0);
    RECT area = {0, 170, 340, 230}, row = {10, 180, 326, 180 + ROW_HEIGHT};
    HDC dc = RedArea(area);
    DRAWITEMSTRUCT draw = {ODT_LISTBOX, kList, (UINT)-1, ODA_FOCUS, ODS_FOCUS, list, dc, row, 0};
    DrawRow(&draw, ChoosePrinter);
    int drawn = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x) drawn += GetPixel(dc, x, y) != kRed;
    ReleaseDC(owner, dc);
    EXPECT_EQ(0, drawn);
    Screenshot(owner, "rows_empty_focused");
}

TEST_F(OwnerDrawTest, SunkenFrameLinesLandOnTheirPixels)
{
    const int l = 360, t = 40, r = 420, b = 80;
    RECT area = {l - 6, t - 6, r + 6, b + 6}, rect = {l, t, r, b};
    HDC dc = RedArea(area);
    DrawSunkenFrame(&rect, dc);

    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW), light = GetSysColor(COLOR_BTNHIGHLIGHT);
    auto expected = [&](int x, int y) {
        if (x >= l && x < r && y >= t && y < b) return shadow;
        if ((x == l - 1 && y >= t - 1 && y < b) || (y == t - 1 && x >= l - 1 && x < r)) return RGB(0, 0, 0);
        if ((x == r + 1 && y >= t - 2 && y <= b) || (y == b + 1 && x >= l - 2 && x <= r + 1)) return light;
        if ((y == t - 2 && x >= l - 1 && x <= r) || (x == l - 2 && y >= t - 2 && y <= b)) return shadow;
        return kRed;  // column r and row b among them
    };
    int wrong = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (GetPixel(dc, x, y) != expected(x, y) && ++wrong <= 10) ADD_FAILURE() << x << "," << y;
    ReleaseDC(owner, dc);
    EXPECT_EQ(0, wrong);
    Screenshot(owner, "sunken_frame");
}

INT_PTR CALLBACK PictureTestProc(HWND, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_DRAWITEM || wParam != IDC_LOGO) return FALSE;
    DrawPictureButton((const DRAWITEMSTRUCT *)lParam);
    return TRUE;
}

TEST_F(OwnerDrawTest, VisiblePictureButtonShowsTheLogoSqueezedIntoItsFrame)
{
    // A wizard page template with its picture button made visible.
    HWND page = CreateDialogParamA(ModuleInstance(), "IDD_WELCOME", owner, PictureTestProc, 0);
    ASSERT_TRUE(page != NULL);
    HWND button = GetDlgItem(page, IDC_LOGO);
    ShowWindow(button, SW_SHOW);
    ShowWindow(page, SW_SHOW);
    Screenshot(page, "picture_button_page");

    RECT item;
    GetClientRect(button, &item);
    const int w = item.right, h = item.bottom;
    HDC dc = GetDC(button);
    EXPECT_EQ(GetSysColor(COLOR_BTNSHADOW), GetPixel(dc, 0, 0));
    EXPECT_EQ(RGB(0, 0, 0), GetPixel(dc, 1, h - 3));
    EXPECT_EQ(RGB(0, 0, 0), GetPixel(dc, w - 3, 1));
    EXPECT_EQ(GetSysColor(COLOR_BTNHIGHLIGHT), GetPixel(dc, w - 1, 1));
    EXPECT_EQ(GetSysColor(COLOR_BTNHIGHLIGHT), GetPixel(dc, 1, h - 1));
    // The logo's teal margin reaches all four corners inside the frame, the
    // computer shows in between.
    const COLORREF teal = RGB(0, 128, 128);
    EXPECT_EQ(teal, GetPixel(dc, 2, 2));
    EXPECT_EQ(teal, GetPixel(dc, w - 3, 2));
    EXPECT_EQ(teal, GetPixel(dc, 2, h - 3));
    EXPECT_EQ(teal, GetPixel(dc, w - 3, h - 3));
    std::set<COLORREF> colours;
    for (int y = 2; y < h - 2; ++y)
        for (int x = 2; x < w - 2; ++x) colours.insert(GetPixel(dc, x, y));
    EXPECT_GE(colours.size(), 4u);
    ReleaseDC(button, dc);
    DestroyWindow(page);
}

}  // namespace
