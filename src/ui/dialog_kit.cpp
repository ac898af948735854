// Dialog kit: the hand-over record of the show operations, centring, the
// string loader every dialog of the program uses, and the one-shot timer.
#include "ui/dialog_kit.h"
#include "platform/platform.h"

DialogParams g_dialogParams;

void CentreDialog(HWND dialog)
{
    // An unowned dialog has no parent rectangle to read; the screen stands in.
    HWND owner = GetParent(dialog);
    RECT outer, inner;
    if (!owner || !GetWindowRect(owner, &outer)) GetWindowRect(GetDesktopWindow(), &outer);
    GetWindowRect(dialog, &inner);

    int width = inner.right - inner.left, height = inner.bottom - inner.top;
    int x = outer.left + ((outer.right - outer.left) - width) / 2;
    int y = outer.top + ((outer.bottom - outer.top) - height) / 2;
    MoveWindow(dialog, x, y, width, height, TRUE);
    SetForegroundWindow(dialog);
}

void LoadProgramString(UINT id, char *buffer)
{
    buffer[0] = '\0';
    if (LoadStringA(ModuleInstance(), id, buffer, 1024) <= 0) buffer[0] = '\0';
}

void ArmTimer(HWND window, UINT_PTR timerId, UINT delayMs, TimerStep step)
{
    if (!SetTimer(window, timerId, delayMs, NULL)) step(window, timerId);
}
