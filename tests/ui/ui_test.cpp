// The dialog kit and the drawing services, opened and drawn for real in
// this thread: the message dialogs and the status window, answered from a
// second thread as a person would; the list filler, the owner-drawn rows,
// the sunken frame and the picture button, checked on the pixels read back.
#include <gtest/gtest.h>
#include <functional>
#include <set>
#include <vector>
#include "resource.h"
#include "platform/platform.h"
#include "support/dialog_answerer.h"
#include "support/screenshot.h"
#include "support/remote_windows.h"
#include "ui/dialog_kit.h"
#include "ui/owner_draw.h"

namespace {

void ChoosePrinter(const char *, char *iconName) { lstrcpynA(iconName, "IDI_PRINTER", 1024); }

// The owner window draws its list rows with the wizard's own row drawing.
LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_MEASUREITEM) MeasureRow((MEASUREITEMSTRUCT *)lParam);
    if (message == WM_DRAWITEM) DrawRow((const DRAWITEMSTRUCT *)lParam, ChoosePrinter);
    if (message == WM_MEASUREITEM || message == WM_DRAWITEM) return TRUE;
    return DefWindowProcA(window, message, wParam, lParam);
}

void PumpMessages(DWORD milliseconds)
{
    for (DWORD start = GetTickCount(); GetTickCount() - start < milliseconds;) {
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        MsgWaitForMultipleObjects(0, NULL, FALSE, 10, QS_ALLINPUT);
    }
}

// Saves a window of this thread, given the while Wine takes to put a
// painting on the screen.
void Screenshot(HWND window, const char *name)
{
    RedrawWindow(window, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpMessages(400);
    SaveWindowScreenshot(window, name);
}

// An answer: a message posted to the dialog, or to its control when one is named.
struct Answer { UINT message; WPARAM wParam; int control; };
const Answer kEnter = {WM_KEYDOWN, VK_RETURN, 0}, kEscape = {WM_KEYDOWN, VK_ESCAPE, 0},
             kCloseBox = {WM_SYSCOMMAND, SC_CLOSE, 0}, kYes = {BM_CLICK, 0, IDYES}, kNo = {BM_CLICK, 0, IDNO};

void ExpectCentredOver(RECT inner, HWND owner)
{
    RECT outer;
    GetWindowRect(owner, &outer);
    EXPECT_LE(abs((inner.left - outer.left) - (outer.right - inner.right)), 1);
    EXPECT_LE(abs((inner.top - outer.top) - (outer.bottom - inner.bottom)), 1);
}

const int kList = 100;
const COLORREF kRed = RGB(255, 0, 0);
typedef std::vector<std::string> Rows;

std::vector<const char *> g_texts;  // what the fetch writes per index; NULL: nothing

void FetchFromTable(WORD i, char *text) { if (i < g_texts.size() && g_texts[i]) lstrcpynA(text, g_texts[i], 1024); }

// The pixels of the area that differ from `expected`; the first few are reported.
int WrongPixels(HDC dc, RECT area, std::function<COLORREF(int x, int y)> expected)
{
    int wrong = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (GetPixel(dc, x, y) != expected(x, y) && ++wrong <= 5) ADD_FAILURE() << "pixel " << x << "," << y;
    return wrong;
}

// An owner window with an owner-drawn list box (id kList) in this thread.
class MessageDialogTest : public testing::Test {
protected:
    void SetUp() override
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = OwnerProc;
        wc.hInstance = ModuleInstance();
        wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
        wc.lpszClassName = "KitTestOwner";
        RegisterClassA(&wc);  // fails harmlessly once registered
        owner = CreateWindowExA(0, "KitTestOwner", "Owner", WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, 100, 100,
                                600, 400, NULL, NULL, ModuleInstance(), NULL);
        list = CreateWindowExA(0, "LISTBOX", NULL,
                               WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | LBS_NOTIFY |
                                   LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT,
                               10, 10, 320, 150, owner, (HMENU)kList, ModuleInstance(), NULL);
        SendMessageA(list, WM_SETFONT, (WPARAM)GetStockObject(DEFAULT_GUI_FONT), TRUE);
        PumpMessages(50);
    }
    void TearDown() override { DestroyWindow(owner); }

    Rows Fill(std::vector<const char *> texts, SHORT count)
    {
        g_texts = texts;
        FillList(owner, kList, count, FetchFromTable);
        return ListRows(list);
    }

    // Shows a message over the owner; the answerer notes what the dialog
    // shows, then gives the answer.
    INT_PTR Show(MessageStyle style, const std::string &shot, Answer answer)
    {
        DialogAnswerer answerer(
            GetCurrentProcessId(), GetCurrentThreadId(),
            [&](HWND dialog) {
                Sleep(200);  // the modal loop paints it meanwhile
                seen = WindowText(dialog) + "|" + ControlText(dialog, IDC_MSG_TEXT);
                icon = (HICON)SendDlgItemMessageA(dialog, IDC_MSG_ICON, STM_GETICON, 0, 0);
                buttons.clear();
                for (int id : {IDOK, IDCANCEL, IDRETRY, IDYES, IDNO})
                    if (GetDlgItem(dialog, id)) buttons.push_back(id);
                GetWindowRect(dialog, &rect);
                foreground = GetForegroundWindow() == dialog;
                SaveWindowScreenshot(dialog, shot.c_str());
                return 1;  // answered below, as the case says
            },
            [&](HWND dialog, int) {
                PostMessageA(answer.control ? GetDlgItem(dialog, answer.control) : dialog, answer.message,
                             answer.wParam, 0);
            });
        return ShowMessage(owner, "Text", "Caption", style);
    }

    HWND owner = NULL, list = NULL;
    std::string seen;  // caption|text
    HICON icon = NULL;
    std::vector<int> buttons;
    RECT rect = {};
    bool foreground = false;
};

TEST_F(MessageDialogTest, StyleWordChoosesTemplateAndIconAndTheAnswerIsTheCommand)
{
    const std::vector<int> ok = {IDOK}, yesNo = {IDYES, IDNO};
    const struct { MessageStyle style; Answer answer; INT_PTR result; LPCSTR icon; } cases[] = {
        {0x00, kEnter, IDOK, IDI_APPLICATION},       {0x02, kEnter, IDOK, IDI_APPLICATION},
        {0x10, kEnter, IDOK, IDI_HAND},              {0x10, kEscape, IDCANCEL, IDI_HAND},
        {0x10, kCloseBox, IDCANCEL, IDI_HAND},       {0x24, kYes, IDYES, IDI_QUESTION},
        {0x24, kNo, IDNO, IDI_QUESTION},             {0x24, kEscape, IDCANCEL, IDI_QUESTION},
        {0x24, kCloseBox, IDCANCEL, IDI_QUESTION},   {0x50, kEnter, IDOK, IDI_APPLICATION},
        {0xF0, kEnter, IDOK, IDI_APPLICATION},
    };
    int number = 0;
    for (const auto &c : cases) {
        std::string shot = "msg_style_" + std::to_string(c.style) + "_" + std::to_string(++number);
        SCOPED_TRACE(shot);
        EXPECT_EQ(c.result, Show(c.style, shot, c.answer));
        EXPECT_EQ(c.style == 0x24 ? yesNo : ok, buttons);
        EXPECT_EQ(LoadIconA(NULL, c.icon), icon);
        EXPECT_EQ("Caption|Text", seen);
        EXPECT_TRUE(foreground);
    }
}

TEST_F(MessageDialogTest, ADialogLargerThanItsOwnerOverhangsItEqually)
{
    MoveWindow(owner, 450, 330, 121, 41, TRUE);
    Show(16, "msg_over_small_owner", kEscape);
    EXPECT_LT(rect.left, 450);
    EXPECT_LT(rect.top, 330);
    ExpectCentredOver(rect, owner);
}

TEST_F(MessageDialogTest, StatusWindowWaitsToBeShownThenShowsDiskAndText)
{
    HWND status = CreateStatusDialog(owner, IDS_READING);
    ASSERT_TRUE(status != NULL);
    PumpMessages(100);
    EXPECT_FALSE(IsWindowVisible(status));
    ShowWindow(status, SW_SHOW);
    Screenshot(status, "status_reading");
    GetWindowRect(status, &rect);
    ExpectCentredOver(rect, owner);
    EXPECT_EQ("Reading setup information...", ControlText(status, IDC_STATUS_TEXT));
    HWND disk = GetWindow(GetDlgItem(status, IDC_STATUS_TEXT), GW_HWNDNEXT);
    ASSERT_TRUE(disk != NULL);
    EXPECT_EQ(LoadIconA(ModuleInstance(), "IDI_DISK"), (HICON)SendMessageA(disk, STM_GETICON, 0, 0));
    DestroyWindow(status);
}

typedef MessageDialogTest OwnerDrawTest;

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
    Screenshot(owner, "fill_list");
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

// The list box keeps its DC's colours for its own drawing (the empty space,
// the focus rectangle): a row must hand the DC back as it found it.
TEST_F(OwnerDrawTest, DrawingARowRestoresTheTextAndBackgroundColours)
{
    Fill({"Model HX-20", "Second model"}, 2);
    RECT row;
    SendMessageA(list, LB_GETITEMRECT, 0, (LPARAM)&row);
    HDC dc = GetDC(list);
    const COLORREF text = RGB(1, 2, 3), back = RGB(4, 5, 6);
    for (UINT state : {0u, (UINT)ODS_SELECTED, (UINT)(ODS_SELECTED | ODS_FOCUS)}) {
        SCOPED_TRACE(state);
        SetTextColor(dc, text);
        SetBkColor(dc, back);
        DRAWITEMSTRUCT draw = {ODT_LISTBOX, kList, 0, ODA_DRAWENTIRE, state, list, dc, row, 0};
        DrawRow(&draw, ChoosePrinter);
        EXPECT_EQ(text, GetTextColor(dc));
        EXPECT_EQ(back, GetBkColor(dc));
    }
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

int CALLBACK NoteFontFound(const LOGFONTA *, const TEXTMETRICA *, DWORD, LPARAM found)
{
    *(bool *)found = true;
    return 0;
}

// Whether the pages' face, Arial, or a face of its metrics is installed.
bool ArialMetricFontInstalled()
{
    HDC dc = GetDC(NULL);
    bool found = false;
    for (const char *face : {"Arial", "Liberation Sans"}) {
        LOGFONTA wanted = {};
        wanted.lfCharSet = DEFAULT_CHARSET;
        lstrcpynA(wanted.lfFaceName, face, LF_FACESIZE);
        EnumFontFamiliesExA(dc, &wanted, NoteFontFound, (LPARAM)&found, 0);
    }
    ReleaseDC(NULL, dc);
    return found;
}

INT_PTR CALLBACK PlainPageProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// The pages are laid out in dialog units of their Arial 8 face and filled
// with a picture of fixed size: a wider fallback face leaves a grey strip
// beside the picture and pushes the buttons off its bar.
TEST(PageLookTest, EachPageIsAsWideAsItsBackgroundPicture)
{
    if (!ArialMetricFontInstalled()) GTEST_SKIP() << "neither Arial nor Liberation Sans is installed";
    BITMAP picture = {};
    HBITMAP background = LoadBitmapA(ModuleInstance(), MAKEINTRESOURCEA(BMP_BACKGROUND));
    ASSERT_TRUE(background != NULL);
    GetObjectA(background, sizeof(picture), &picture);
    DeleteObject(background);
    for (const char *page : {"IDD_WELCOME", "IDD_GETMODEL", "IDD_GETPORT", "IDD_EXIT"}) {
        HWND dialog = CreateDialogParamA(ModuleInstance(), page, NULL, PlainPageProc, 0);
        ASSERT_TRUE(dialog != NULL) << page;
        RECT client;
        GetClientRect(dialog, &client);
        EXPECT_NEAR(picture.bmWidth, client.right, 3) << page;
        DestroyWindow(dialog);
    }
}

}  // namespace
