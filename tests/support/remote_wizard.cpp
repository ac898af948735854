// Working the wizard of another process: finding its windows, reading what
// they show, clicking and typing.
#include "support/remote_wizard.h"

#include <tlhelp32.h>

#include "resource.h"
#include "support/processes.h"
#include "support/remote_windows.h"

namespace {

const char kPageCaption[] = "Vantrel Printer Driver Install Wizard";

// Caption, a control the window must have and that control's text (NULL: any).
const struct WindowSignature {
    const char *caption;
    int controlId;
    const char *controlText;
} kSignatures[] = {
    {"", IDC_STATUS_TEXT, "Reading setup information..."},
    {kPageCaption, IDC_WELCOME_TEXT, NULL},
    {kPageCaption, IDC_MODEL_LIST, NULL},
    {kPageCaption, IDC_PORT_LIST, NULL},
    {"Copying Files...", IDC_COPY_BAR, NULL},
    {"", IDC_STATUS_TEXT, "Writing system information..."},
    {"Printer Driver Setup", IDC_EXIT_MESSAGE, NULL},
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
    HWND control = GetDlgItem(window, signature.controlId);
    return WindowClass(window) == "#32770" && KeptText(window) == signature.caption && control &&
           (!signature.controlText || KeptText(control) == signature.controlText);
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
        if (WaitForSingleObject(wizard.process.hProcess, 0) == WAIT_OBJECT_0) return NULL;
        Sleep(kLookAgainMs);
    } while (GetTickCount() - start < timeoutMs);
    return NULL;
}

HWND PressAndAwait(const Wizard &wizard, HWND page, int buttonId, WizardWindow next,
                   DWORD timeoutMs)
{
    PressButton(page, buttonId);
    if (!WaitForWindowGone(page, timeoutMs)) return NULL;
    return WaitForWizardWindow(wizard, next, timeoutMs);
}

// The pushed state of the page's Cancel button, set by a message posted
// behind the input, is seen once the thread has got that far; cleared the
// same way, which also lets what the input posted go first.
bool AwaitPostedInputHandled(HWND page, DWORD timeoutMs)
{
    HWND button = GetDlgItem(page, IDCANCEL);
    DWORD start = GetTickCount();
    for (BOOL pushed : {TRUE, FALSE}) {
        PostMessageA(button, BM_SETSTATE, pushed, 0);
        while (((SendMessageA(button, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0) != (pushed != FALSE)) {
            if (!IsWindow(button) || GetTickCount() - start >= timeoutMs) return false;
            Sleep(kLookAgainMs);
        }
    }
    return true;
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

// The page's modal loop takes the key through its dialog keyboard handling.
void PressKey(const Wizard &wizard, WORD virtualKey)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    HWND focus = GetGUIThreadInfo(wizard.process.dwThreadId, &info) ? info.hwndFocus : NULL;
    LPARAM scanCode = MapVirtualKeyA(virtualKey, 0) << 16;
    PostMessageA(focus, WM_KEYDOWN, virtualKey, 1 | scanCode);
    PostMessageA(focus, WM_KEYUP, virtualKey, 1 | scanCode | 0xC0000000u);
}

// The list's class asks for double clicks.
void ClickListRow(HWND list, int row, bool twice)
{
    int height = (int)SendMessageA(list, LB_GETITEMHEIGHT, 0, 0);
    LPARAM at = MAKELPARAM(80, (row - (int)SendMessageA(list, LB_GETTOPINDEX, 0, 0)) * height + height / 2);
    for (int click = 0; click < (twice ? 2 : 1); ++click) {
        PostMessageA(list, click ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageA(list, WM_LBUTTONUP, 0, at);
    }
}

bool ProcessRunning(const char *exeName)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    bool found = false;
    for (BOOL more = Process32First(snapshot, &entry); more && !found;
         more = Process32Next(snapshot, &entry))
        found = lstrcmpiA(entry.szExeFile, exeName) == 0;
    CloseHandle(snapshot);
    return found;
}
