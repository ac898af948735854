// Wizard sequencer: the main window's procedure. Each page is started by a
// command the window posts to itself, so a page's modal loop has ended before
// the next page begins; the reading and writing stages run on one-shot timers
// under a status window.
#include "shell/sequencer.h"

#include "copy/copy_page.h"
#include "resource.h"
#include "spooler/registration.h"
#include "ui/dialog_kit.h"
#include "ui/pages.h"

namespace {

enum {
    RESULT_SUCCESS = 1,
    RESULT_FAILURE = 2,
    COPY_FINISHED = 1,
};

HWND g_statusWindow;
// Whether the second registration, the one that decides what stays, left
// the model's driver and printer installed.
BOOL g_installed;

void RunStage(HWND window, UINT_PTR timerId);

void ArmStage(HWND window, UINT_PTR timerId, UINT delayMs)
{
    ArmTimer(window, timerId, delayMs, RunStage);
}

void PostCommand(HWND window, WPARAM command)
{
    PostMessageA(window, WM_COMMAND, command, 0);
}

void CloseWizard(HWND window, WPARAM resultFlag)
{
    PostMessageA(window, WM_CLOSE, resultFlag, 0);
}

void BeginWait(HWND window)
{
    SetCapture(window);
    SetCursor(LoadCursorA(NULL, IDC_WAIT));
}

void EndWait()
{
    ReleaseCapture();
    SetCursor(LoadCursorA(NULL, IDC_ARROW));
}

// Painted at once: the stage that follows blocks the thread.
void ShowStatus(HWND window, UINT stringId)
{
    g_statusWindow = CreateStatusDialog(window, stringId);
    if (!g_statusWindow) return;
    ShowWindow(g_statusWindow, SW_SHOW);
    UpdateWindow(g_statusWindow);
}

void RemoveStatus()
{
    if (g_statusWindow) DestroyWindow(g_statusWindow);
    g_statusWindow = NULL;
}

// The setup information is read when the model page opens; this stage only
// gives the user a moment to see the program start.
void StartReading(HWND window)
{
    BeginWait(window);
    ShowStatus(window, IDS_READING);
    ArmStage(window, TIMER_READ_DONE, 1000);
}

void EndReading(HWND window)
{
    RemoveStatus();
    EndWait();
    InvalidateRect(window, NULL, TRUE);
    PostCommand(window, CMD_WELCOME);
}

void FirstRegistration(HWND window)
{
    ShowStatus(window, IDS_WRITING);
    RegisterDriverAndPrinter();
    ArmStage(window, TIMER_REINSTALL, 2000);
}

void SecondRegistration(HWND window)
{
    RemovePreviousInstallationLeniently();
    g_installed = RegisterDriverAndPrinter();
    ArmStage(window, TIMER_FINISH, 2000);
}

// A refused driver has shown its own messages; the finish page then shows
// the failure form, as it does for a refused printer.
void EndInstallation(HWND window)
{
    RemoveStatus();
    CloseWizard(window, g_installed ? RESULT_SUCCESS : RESULT_FAILURE);
    EndWait();
}

struct TimerStage {
    UINT_PTR id;
    void (*run)(HWND window);
};

const TimerStage kTimerStages[] = {
    {TIMER_READING, StartReading},
    {TIMER_READ_DONE, EndReading},
    {TIMER_INSTALL, FirstRegistration},
    {TIMER_REINSTALL, SecondRegistration},
    {TIMER_FINISH, EndInstallation},
};

const TimerStage *FindStage(UINT_PTR timerId)
{
    for (const TimerStage &stage : kTimerStages)
        if (stage.id == timerId) return &stage;
    return NULL;
}

void RunStage(HWND window, UINT_PTR timerId)
{
    if (const TimerStage *stage = FindStage(timerId)) stage->run(window);
}

// Other ids do nothing, not even a kill.
void OnTimer(HWND window, WPARAM timerId)
{
    if (!FindStage(timerId)) return;
    KillTimer(window, timerId);
    RunStage(window, timerId);
}

// Next goes forward, Back (where the page has one) goes back, anything else
// ends the wizard with the failure form.
void FollowPage(HWND window, INT_PTR result, WPARAM back, WPARAM next)
{
    if (result == IDC_NEXT)
        PostCommand(window, next);
    else if (back && result == IDC_BACK)
        PostCommand(window, back);
    else
        CloseWizard(window, RESULT_FAILURE);
}

void StartInstallation(HWND window)
{
    BeginWait(window);
    ArmStage(window, TIMER_INSTALL, 100);
}

void OnCommand(HWND window, WPARAM wParam)
{
    switch (LOWORD(wParam)) {
    case CMD_WELCOME:
        FollowPage(window, RunWelcomePage(window), 0, CMD_MODEL);
        break;
    case CMD_MODEL:
        FollowPage(window, RunModelPage(window), CMD_WELCOME, CMD_PORT);
        break;
    case CMD_PORT:
        FollowPage(window, RunPortPage(window), CMD_MODEL, CMD_COPY);
        break;
    case CMD_COPY:
        if (RunCopyPage(window) == COPY_FINISHED)
            PostCommand(window, CMD_INSTALL);
        else
            CloseWizard(window, RESULT_FAILURE);
        break;
    case CMD_INSTALL:
        StartInstallation(window);
        break;
    }
}

}  // namespace

LRESULT CALLBACK SequencerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        ArmStage(window, TIMER_READING, 100);
        return 0;
    case WM_TIMER:
        OnTimer(window, wParam);
        return 0;
    case WM_COMMAND:
        OnCommand(window, wParam);
        return 0;
    case WM_CLOSE:
        RunFinishPage(window, wParam);
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}
