// Finding and working the windows of a process from another thread or process.
#include "support/remote_windows.h"

namespace {

struct WindowQuery {
    DWORD processId;
    const char *className;
    const char *caption;
    bool visibleOnly;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM param)
{
    WindowQuery *query = (WindowQuery *)param;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != query->processId) return TRUE;
    if (query->visibleOnly && !IsWindowVisible(window)) return TRUE;
    if (query->className && WindowClass(window) != query->className) return TRUE;
    if (query->caption && WindowText(window) != query->caption) return TRUE;
    query->found.push_back(window);
    return TRUE;
}

std::vector<HWND> QueryWindows(DWORD processId, const char *className, const char *caption,
                               bool visibleOnly)
{
    WindowQuery query = {processId, className, caption, visibleOnly, {}};
    EnumWindows(CollectWindow, (LPARAM)&query);
    return query.found;
}

}  // namespace

HWND FindProcessWindow(DWORD processId, const char *className, const char *caption,
                       bool visibleOnly)
{
    std::vector<HWND> found = QueryWindows(processId, className, caption, visibleOnly);
    return found.empty() ? NULL : found.front();
}

HWND WaitForProcessWindow(DWORD processId, const char *className, const char *caption,
                          DWORD timeoutMs, bool visibleOnly)
{
    DWORD start = GetTickCount();
    do {
        HWND window = FindProcessWindow(processId, className, caption, visibleOnly);
        if (window) return window;
        Sleep(kLookAgainMs);
    } while (GetTickCount() - start < timeoutMs);
    return NULL;
}

bool WaitForWindowGone(HWND window, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (IsWindow(window)) {
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(kLookAgainMs);
    }
    return true;
}

std::vector<HWND> ProcessWindows(DWORD processId)
{
    return QueryWindows(processId, NULL, NULL, true);
}

std::string WindowText(HWND window)
{
    char text[1024] = "";
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof(text), (LPARAM)text, SMTO_ABORTIFHUNG, 2000,
                        NULL);
    return text;
}

std::string ControlText(HWND dialog, int controlId)
{
    HWND control = GetDlgItem(dialog, controlId);
    return control ? WindowText(control) : std::string();
}

std::string WindowClass(HWND window)
{
    char name[256] = "";
    GetClassNameA(window, name, sizeof(name));
    return name;
}

std::vector<std::string> ListRows(HWND list)
{
    std::vector<std::string> rows;
    LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        LRESULT length = SendMessageW(list, LB_GETTEXTLEN, i, 0);
        if (length < 0) length = 0;
        std::wstring wide(length + 1, L'\0');
        SendMessageW(list, LB_GETTEXT, i, (LPARAM)&wide[0]);
        char text[2048] = "";
        WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, text, sizeof(text), NULL, NULL);
        rows.push_back(text);
    }
    return rows;
}

int ListSelection(HWND list)
{
    return (int)SendMessageA(list, LB_GETCURSEL, 0, 0);
}

void PressButton(HWND dialog, int buttonId)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                 (LPARAM)GetDlgItem(dialog, buttonId));
}
