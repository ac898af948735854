// The list filler, the owner-drawn rows, the sunken frame and the picture
// button, checked on the pixels read back from the windows.
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
typedef std::vector<std::string> Rows;

std::vector<const char *> g_texts;  // what the fetch writes per index; NULL: nothing

void FetchFromTable(WORD index, char *text)
{
    if (index < g_texts.size() && g_texts[index]) lstrcpynA(text, g_texts[index], 1024);
}

void ChoosePrinter(const char *, char *iconName) { lstrcpynA(iconName, "IDI_PRINTER", 1024); }

// The pixels of the area that differ from `expected`; the first few are reported.
int WrongPixels(HDC dc, RECT area, std::function<COLORREF(int x, int y)> expected)
{
    int wrong = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (GetPixel(dc, x, y) != expected(x, y) && ++wrong <= 5) ADD_FAILURE() << "pixel " << x << "," << y;
    return wrong;
}

class OwnerDrawTest : public testing::Test {
protected:
    void SetUp() override
    {
        g_ownerHandler = [](UINT message, WPARAM, LPARAM lParam) {
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
    void TearDown() override { DestroyWindow(owner), g_ownerHandler = nullptr; }

    Rows Fill(std::vector<const char *> texts, SHORT count)
    {
        g_texts = texts;
        FillList(owner, kList, count, FetchFromTable);
        return ListRows(list);
    }

    HWND owner = NULL, list = NULL;
};

TEST_F(OwnerDrawTest, FillListAddsEachTextOnceInFetchOrder)
{
    EXPECT_EQ((Rows{"A", "B", "C"}), Fill({"A", "B", "a", "C"}, 4));
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
    Screenshot(owner, "rows_selected_focused");

    RECT row;
    SendMessageA(list, LB_GETITEMRECT, 0, (LPARAM)&row);
    const COLORREF hi = GetSysColor(COLOR_HIGHLIGHT);
    const int b = LOWORD(GetDialogBaseUnits());
    HDC dc = GetDC(list);
    // Highlight over the whole width beside the icon, just inside the focus rectangle.
    for (int x = row.left + 1; x < row.right - 1; ++x)
        if ((x < b || x >= b + 32) && GetPixel(dc, x, row.top + 2) != hi) ADD_FAILURE() << "x " << x;

    // The text's first ink (the M's stem) at 2b + 32, nothing between it and the icon.
    int ink = -1;
    for (int x = b + 32; x < row.right && ink < 0; ++x)
        for (int y = row.top + 1; y < row.bottom - 1 && ink < 0; ++y)
            if (GetPixel(dc, x, y) != hi) ink = x;
    EXPECT_GE(ink, 2 * b + 32);
    EXPECT_LE(ink, 2 * b + 34);

    // Dotted focus rectangle along the top and bottom edges of the row; the
    // next row, unselected, starts 34 pixels down.
    int dots = 0;
    for (int x = row.left; x < row.right; ++x)
        dots += (GetPixel(dc, x, row.top) != hi) + (GetPixel(dc, x, row.bottom - 1) != hi);
    EXPECT_GE(dots, (row.right - row.left) * 2 / 3);
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), GetPixel(dc, row.right - 3, row.bottom));

    // The icon at (b, top + 1): drawing it there again over the highlight
    // must change no pixel.
    RECT icon = {b, row.top + 1, b + 32, row.top + 33};
    std::vector<COLORREF> drawn;
    for (int y = icon.top; y < icon.bottom; ++y)
        for (int x = icon.left; x < icon.right; ++x) drawn.push_back(GetPixel(dc, x, y));
    FillRect(dc, &icon, GetSysColorBrush(COLOR_HIGHLIGHT));
    DrawIcon(dc, icon.left, icon.top, LoadIconA(ModuleInstance(), "IDI_PRINTER"));
    EXPECT_EQ(0, WrongPixels(dc, icon, [&](int x, int y) { return drawn[(y - icon.top) * 32 + x - icon.left]; }));
    ReleaseDC(list, dc);
}

// Both drawn on a part of the owner painted red, so that every pixel drawn
// shows. Windows asks the owner of an empty list to draw its focus (item -1);
// Wine's list box draws that focus rectangle itself, so the request is made
// here as Windows would make it.
TEST_F(OwnerDrawTest, SunkenFrameLandsOnItsPixelsAndAnEmptyFocusedListDrawsNothing)
{
    const int l = 360, t = 40, r = 420, b = 80;
    RECT area = {0, 0, 500, 300}, frame = {l, t, r, b}, row = {10, 180, 326, 180 + ROW_HEIGHT};
    HDC dc = GetDC(owner);
    SetDCBrushColor(dc, kRed);
    FillRect(dc, &area, (HBRUSH)GetStockObject(DC_BRUSH));
    Fill({}, 0);
    DRAWITEMSTRUCT draw = {ODT_LISTBOX, kList, (UINT)-1, ODA_FOCUS, ODS_FOCUS, list, dc, row, 0};
    DrawRow(&draw, ChoosePrinter);
    EXPECT_EQ(0, WrongPixels(dc, {0, 170, 340, 230}, [](int, int) { return kRed; }));

    DrawSunkenFrame(&frame, dc);
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW), light = GetSysColor(COLOR_BTNHIGHLIGHT);
    EXPECT_EQ(0, WrongPixels(dc, {l - 6, t - 6, r + 6, b + 6}, [&](int x, int y) {
        if (x >= l && x < r && y >= t && y < b) return shadow;
        if ((x == l - 1 && y >= t - 1 && y < b) || (y == t - 1 && x >= l - 1 && x < r)) return RGB(0, 0, 0);
        if ((x == r + 1 && y >= t - 2 && y <= b) || (y == b + 1 && x >= l - 2 && x <= r + 1)) return light;
        if ((y == t - 2 && x >= l - 1 && x <= r) || (x == l - 2 && y >= t - 2 && y <= b)) return shadow;
        return kRed;  // column r and row b among them
    }));
    ReleaseDC(owner, dc);
    SaveWindowScreenshot(owner, "sunken_frame_and_empty_list");
}

INT_PTR CALLBACK PictureTestProc(HWND, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DRAWITEM && wParam == IDC_LOGO) DrawPictureButton((const DRAWITEMSTRUCT *)lParam);
    return message == WM_DRAWITEM && wParam == IDC_LOGO;
}

TEST_F(OwnerDrawTest, VisiblePictureButtonShowsTheLogoSqueezedIntoItsFrame)
{
    HWND page = CreateDialogParamA(ModuleInstance(), "IDD_WELCOME", owner, PictureTestProc, 0);
    ASSERT_TRUE(page != NULL);
    HWND button = GetDlgItem(page, IDC_LOGO);
    ShowWindow(button, SW_SHOW);
    ShowWindow(page, SW_SHOW);
    Screenshot(page, "picture_button_page");
    RECT item;
    GetClientRect(button, &item);
    const int w = item.right, h = item.bottom;
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW), light = GetSysColor(COLOR_BTNHIGHLIGHT);
    const COLORREF black = RGB(0, 0, 0), teal = RGB(0, 128, 128);  // teal: the logo's margin
    // The frame, then the logo's margin in all four corners inside it.
    const struct { int x, y; COLORREF colour; } points[] = {
        {0, 0, shadow}, {1, h - 3, black}, {w - 3, 1, black}, {w - 1, 1, light}, {1, h - 1, light},
        {2, 2, teal}, {w - 3, 2, teal}, {2, h - 3, teal}, {w - 3, h - 3, teal},
    };
    HDC dc = GetDC(button);
    for (const auto &p : points) EXPECT_EQ(p.colour, GetPixel(dc, p.x, p.y)) << p.x << "," << p.y;
    std::set<COLORREF> colours;  // the computer shows in between
    for (int y = 2; y < h - 2; ++y)
        for (int x = 2; x < w - 2; ++x) colours.insert(GetPixel(dc, x, y));
    EXPECT_GE(colours.size(), 4u);
    ReleaseDC(button, dc);
    DestroyWindow(page);
}

}  // namespace
