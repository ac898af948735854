// Start-up and the main window.
#include "shell/startup.h"
#include "platform/platform.h"
#include "shell/sequencer.h"
#include "platform/system_libraries.h"
#include "platform/install_selection.h"
#include "resource.h"
#include "ui/dialog_kit.h"

#include <stdio.h>

namespace {

enum {
    // The first wizard claims its place before it makes its window.
    RUNNING_WIZARD_WAIT_MS = 5000,
    RUNNING_WIZARD_POLL_MS = 100,
};

BOOL RegisterMainClass()
{
    WNDCLASSA wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = SequencerWindowProc;
    wc.hInstance = ModuleInstance();
    wc.hIcon = LoadIconA(ModuleInstance(), "IDI_SETUP");
    wc.hCursor = LoadCursorA(NULL, IDC_ARROW);
    wc.hbrBackground = (HBRUSH)GetStockObject(NULL_BRUSH);
    wc.lpszClassName = WindowClassName();
    return RegisterClassA(&wc) != 0;
}

// The main window covers the desktop and is never shown: it owns and centres
// every page and receives every wizard command.
HWND CreateMainWindow()
{
    RECT desktop;
    GetWindowRect(GetDesktopWindow(), &desktop);
    HWND window = CreateWindowExA(0, WindowClassName(), SetupTitle(), WS_OVERLAPPEDWINDOW,
                                  desktop.left, desktop.top, desktop.right, desktop.bottom,
                                  NULL, NULL, ModuleInstance(), NULL);
    if (window) ShowWindow(window, SW_HIDE);
    return window;
}

int RunMessageLoop()
{
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}

// The copy clears away what an interrupted run left in the driver folders,
// which would take the files a second wizard beside this one has staged: so
// one runs at a time, in every session. NULL when another one runs. A name
// that cannot be made at all is no reason to refuse the user.
HANDLE ClaimOnlyInstance(BOOL *anotherRuns)
{
    char name[TEXT_BUFFER_SIZE];
    snprintf(name, sizeof(name), "Global\\%s", WindowClassName());
    HANDLE claim = CreateMutexA(NULL, FALSE, name);
    DWORD error = GetLastError();
    // Made by another user, or with rights this process lacks, it is
    // there but does not open.
    *anotherRuns = error == ERROR_ALREADY_EXISTS || (!claim && error == ERROR_ACCESS_DENIED);
    if (*anotherRuns && claim) {
        CloseHandle(claim);
        claim = NULL;
    }
    return claim;
}

// The wizard already running comes to the front instead. One that has no
// window this copy can find (in another session, of another user) is named,
// so that the user is not left with nothing.
void ShowRunningWizard()
{
    HWND running = FindWindowA(WindowClassName(), NULL);
    for (DWORD waited = 0; !running && waited < RUNNING_WIZARD_WAIT_MS;
         waited += RUNNING_WIZARD_POLL_MS) {
        Sleep(RUNNING_WIZARD_POLL_MS);
        running = FindWindowA(WindowClassName(), NULL);
    }
    if (running) {
        SetForegroundWindow(GetLastActivePopup(running));
        return;
    }
    char text[TEXT_BUFFER_SIZE];
    LoadProgramString(IDS_ALREADY_RUNNING, text);
    MessageBoxA(NULL, text, SetupTitle(), MB_ICONINFORMATION);
}

int RunWizard()
{
    g_install.environment = SpoolerEnvironment();
    if (!RegisterMainClass()) return 0;
    SetErrorMode(SEM_FAILCRITICALERRORS);

    // Without a main window nothing could ever end the loop: end at once.
    if (!CreateMainWindow()) return 0;
    return RunMessageLoop();
}

}  // namespace

int RunSetup(HINSTANCE instance)
{
    NarrowDllSearch();
    SetModuleInstance(instance);
    if (!CheckPlatform()) {
        MessageBoxA(NULL, "This Driver is not supported on this Operating System.",
                    "Install Error", MB_ICONERROR);
        return 0;
    }
    if (!LoadSystemLibraries()) return 0;
    BOOL anotherRuns = FALSE;
    HANDLE claim = ClaimOnlyInstance(&anotherRuns);
    if (anotherRuns) {
        ShowRunningWizard();
        return 0;
    }
    int exitCode = RunWizard();
    if (claim) CloseHandle(claim);
    return exitCode;
}
