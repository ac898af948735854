// Start-up and the main window.
#include "shell/startup.h"
#include "platform/platform.h"
#include "shell/sequencer.h"
#include "platform/system_libraries.h"
#include "platform/install_selection.h"

namespace {

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
    g_install.environment = SpoolerEnvironment();
    if (!RegisterMainClass()) return 0;
    SetErrorMode(SEM_FAILCRITICALERRORS);

    // Without a main window nothing could ever end the loop: end at once.
    if (!CreateMainWindow()) return 0;
    return RunMessageLoop();
}
