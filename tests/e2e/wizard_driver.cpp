// Driving the wizard of another process: finding its windows, reading what
// they show, clicking and typing.
#include "e2e/wizard_driver.h"

#include <tlhelp32.h>

#include "resource.h"
#include "support/processes.h"
#include "support/windows_driver.h"

const char kPageCaption[] = "Vantrel Printer Driver Install Wizard";
const char kFinishCaption[] = "Printer Driver Setup";

namespace {

struct WindowSignature {
    const char *caption;     // NULL: any
    int controlId;           // a control the window must have
    const char *controlText; // NULL: any
};

const WindowSignature kSignatures[] = {
    {"", IDC_STATUS_TEXT, "Reading setup information..."},
    {kPageCaption, IDC_WELCOME_TEXT, NULL},
    {kPageCaption, IDC_MODEL_LIST, NULL},
    {kPageCaption, IDC_PORT_LIST, NULL},
    {"Copying Files...", IDC_COPY_BAR, NULL},
    {"", IDC_STATUS_TEXT, "Writing system information..."},
    {kFinishCaption, IDC_EXIT_MESSAGE, NULL},
};

// Texts as the system keeps them, without a message to the window's
// thread: the wizard may be busy, as it is while it registers the driver.
std::string KeptText(HWND window)
{
    char text[1024] = "";
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

bool Matches(HWND window, const WindowSignature &signature)
{
    if (WindowClass(window) != "#32770") return false;
    if (signature.caption && KeptText(window) != signature.caption) return false;
    HWND control = GetDlgItem(window, signature.controlId);
    if (!control) return false;
    return !signature.controlText || KeptText(control) == signature.controlText;
}

bool Ended(const Wizard &wizard)
{
    return WaitForSingleObject(wizard.process.hProcess, 0) == WAIT_OBJECT_0;
}

int ColourDistance(COLORREF a, COLORREF b)
{
    int distance = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        int d = (int)((a >> shift) & 0xFF) - (int)((b >> shift) & 0xFF);
        distance += d < 0 ? -d : d;
    }
    return distance;
}

// The icon's opaque pixels are those that come out alike drawn on black and
// on white; the screen must show nearly all of those.
bool ShowsIconNow(HWND window, int x, int y, HICON icon)
{
    const int size = GetSystemMetrics(SM_CXICON);
    POINT at = {x, y};
    ClientToScreen(window, &at);
    HDC screen = GetDC(NULL), memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 3 * size, size);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    RECT black = {0, 0, size, size}, white = {size, 0, 2 * size, size};
    FillRect(memory, &black, (HBRUSH)GetStockObject(BLACK_BRUSH));
    FillRect(memory, &white, (HBRUSH)GetStockObject(WHITE_BRUSH));
    DrawIconEx(memory, 0, 0, icon, size, size, 0, NULL, DI_NORMAL);
    DrawIconEx(memory, size, 0, icon, size, size, 0, NULL, DI_NORMAL);
    BitBlt(memory, 2 * size, 0, size, size, screen, at.x, at.y, SRCCOPY);
    int opaque = 0, wrong = 0;
    for (int py = 0; py < size; ++py)
        for (int px = 0; px < size; ++px) {
            COLORREF onBlack = GetPixel(memory, px, py);
            if (onBlack != GetPixel(memory, size + px, py)) continue;
            ++opaque;
            wrong += ColourDistance(onBlack, GetPixel(memory, 2 * size + px, py)) > 24;
        }
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(NULL, screen);
    return opaque > 0 && wrong * 20 < opaque;
}

// The control of the program's thread that holds the keyboard focus.
HWND FocusOf(const Wizard &wizard)
{
    GUITHREADINFO info = {sizeof(info)};
    return GetGUIThreadInfo(wizard.process.dwThreadId, &info) ? info.hwndFocus : NULL;
}

}  // namespace

bool StartWizard(Wizard *wizard, const std::string &folder)
{
    wizard->startTick = GetTickCount();
    return StartProgram(folder + "\\setup.exe", folder, &wizard->process);
}

DWORD WaitForWizardExit(Wizard *wizard, DWORD timeoutMs)
{
    return FinishProgram(&wizard->process, timeoutMs);
}

HWND FindWizardWindow(const Wizard &wizard, WizardWindow which)
{
    for (HWND window : ProcessWindows(wizard.process.dwProcessId))
        if (Matches(window, kSignatures[which])) return window;
    return NULL;
}

HWND WaitForWizardWindow(const Wizard &wizard, WizardWindow which, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    do {
        HWND window = FindWizardWindow(wizard, which);
        if (window) return window;
        if (Ended(wizard)) return NULL;
        Sleep(10);
    } while (GetTickCount() - start < timeoutMs);
    return NULL;
}

HWND WaitForMessageDialog(const Wizard &wizard, const char *caption, DWORD timeoutMs)
{
    return WaitForProcessWindow(wizard.process.dwProcessId, "#32770", caption, timeoutMs);
}

std::string MessageDialogText(HWND dialog)
{
    // The program's own message dialogs hold the text in IDC_MSG_TEXT, the
    // platform's message box in the static of id 0xFFFF.
    if (GetDlgItem(dialog, IDC_MSG_TEXT)) return ControlText(dialog, IDC_MSG_TEXT);
    return ControlText(dialog, 0xFFFF);
}

int FocusedControlId(const Wizard &wizard)
{
    HWND focus = FocusOf(wizard);
    return focus ? GetDlgCtrlID(focus) : 0;
}

bool IsControlVisible(HWND dialog, int controlId)
{
    HWND control = GetDlgItem(dialog, controlId);
    return control && IsWindowVisible(control);
}

bool IsControlChecked(HWND dialog, int controlId)
{
    return SendDlgItemMessageA(dialog, controlId, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// A window that has just appeared may not be painted yet.
bool ShowsIcon(HWND window, int x, int y, HICON icon)
{
    for (int attempt = 0; attempt < 40; ++attempt) {
        if (ShowsIconNow(window, x, y, icon)) return true;
        Sleep(50);
    }
    return false;
}

// Posted to the control with the focus, as the system queues a key: the
// page's modal loop takes it through its dialog keyboard handling.
void PressKey(const Wizard &wizard, WORD virtualKey)
{
    HWND focus = FocusOf(wizard);
    if (!focus) return;
    UINT scanCode = MapVirtualKeyA(virtualKey, 0);
    PostMessageA(focus, WM_KEYDOWN, virtualKey, 1 | (scanCode << 16));
    PostMessageA(focus, WM_KEYUP, virtualKey, 1 | (scanCode << 16) | 0xC0000000u);
}

void ClickButtonControl(HWND dialog, int controlId)
{
    PostMessageA(GetDlgItem(dialog, controlId), BM_CLICK, 0, 0);
}

POINT ListRowOrigin(HWND list, int row)
{
    int top = (int)SendMessageA(list, LB_GETTOPINDEX, 0, 0);
    int height = (int)SendMessageA(list, LB_GETITEMHEIGHT, 0, 0);
    POINT origin = {0, (row - top) * height};
    return origin;
}

// The mouse messages the list receives for a click, or for a double click
// (the list's class asks for double clicks).
void ClickListRow(HWND list, int row, bool twice)
{
    POINT point = ListRowOrigin(list, row);
    LPARAM at = MAKELPARAM(80, point.y + (int)SendMessageA(list, LB_GETITEMHEIGHT, 0, 0) / 2);
    PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(list, WM_LBUTTONUP, 0, at);
    if (!twice) return;
    PostMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    PostMessageA(list, WM_LBUTTONUP, 0, at);
}

bool ProcessRunning(const char *exeName)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return false;
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof(entry);
    bool found = false;
    for (BOOL more = Process32First(snapshot, &entry); more && !found;
         more = Process32Next(snapshot, &entry))
        found = lstrcmpiA(entry.szExeFile, exeName) == 0;
    CloseHandle(snapshot);
    return found;
}

HWND PressAndAwait(const Wizard &wizard, HWND page, int buttonId, WizardWindow next,
                   DWORD timeoutMs)
{
    PressButton(page, buttonId);
    if (!WaitForWindowGone(page, timeoutMs)) return NULL;
    return WaitForWizardWindow(wizard, next, timeoutMs);
}
