// Driving the wizard of another process: finding its windows, reading what
// they show, clicking and typing.
#include "e2e/wizard_driver.h"

#include <tlhelp32.h>

#include <vector>

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

// Pixels as 32-bit values, top row first: of the screen under a rectangle
// when icon is NULL, else of the icon drawn over a plain background.
std::vector<DWORD> Pixels(int left, int top, int width, int height, HICON icon,
                          COLORREF background)
{
    std::vector<DWORD> pixels((size_t)width * height);
    BITMAPINFO info;
    ZeroMemory(&info, sizeof(info));
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void *bits = NULL;
    HDC screen = GetDC(NULL);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, NULL, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    if (icon) {
        RECT all = {0, 0, width, height};
        HBRUSH brush = CreateSolidBrush(background);
        FillRect(memory, &all, brush);
        DeleteObject(brush);
        DrawIconEx(memory, 0, 0, icon, width, height, 0, NULL, DI_NORMAL);
    } else {
        BitBlt(memory, 0, 0, width, height, screen, left, top, SRCCOPY);
    }
    GdiFlush();
    CopyMemory(&pixels[0], bits, pixels.size() * sizeof(DWORD));
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(NULL, screen);
    return pixels;
}

int ColourDistance(DWORD a, DWORD b)
{
    int distance = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        int d = (int)((a >> shift) & 0xFF) - (int)((b >> shift) & 0xFF);
        distance += d < 0 ? -d : d;
    }
    return distance;
}

bool ShowsIconNow(HWND window, int x, int y, HICON icon)
{
    int width = GetSystemMetrics(SM_CXICON), height = GetSystemMetrics(SM_CYICON);
    POINT origin = {x, y};
    ClientToScreen(window, &origin);
    std::vector<DWORD> shown = Pixels(origin.x, origin.y, width, height, NULL, 0);
    // The icon's opaque pixels are those that come out alike on black and on
    // white; the screen must show exactly those.
    std::vector<DWORD> onBlack = Pixels(0, 0, width, height, icon, RGB(0, 0, 0));
    std::vector<DWORD> onWhite = Pixels(0, 0, width, height, icon, RGB(255, 255, 255));
    size_t opaque = 0, wrong = 0;
    for (size_t i = 0; i < shown.size(); ++i) {
        if (onBlack[i] != onWhite[i]) continue;
        ++opaque;
        if (ColourDistance(shown[i], onBlack[i]) > 24) ++wrong;
    }
    return opaque > 0 && wrong * 20 < opaque;
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
    GUITHREADINFO info;
    ZeroMemory(&info, sizeof(info));
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(wizard.process.dwThreadId, &info) || !info.hwndFocus) return 0;
    return GetDlgCtrlID(info.hwndFocus);
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
    GUITHREADINFO info;
    ZeroMemory(&info, sizeof(info));
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(wizard.process.dwThreadId, &info) || !info.hwndFocus) return;
    UINT scanCode = MapVirtualKeyA(virtualKey, 0);
    PostMessageA(info.hwndFocus, WM_KEYDOWN, virtualKey, 1 | (scanCode << 16));
    PostMessageA(info.hwndFocus, WM_KEYUP, virtualKey, 1 | (scanCode << 16) | 0xC0000000u);
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
