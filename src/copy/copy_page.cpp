// Copy progress page "Copying Files...": stages every file of the CopyList on
// the user-interface thread, emptying the message queue between two files,
// draws the percentage bar, and takes up cancel requests and retries. The
// staged set is put in place at once when the page ends with success, after
// its last second; a page that ends otherwise leaves the installed files as
// they were.
#include "copy/copy_page.h"

#include <lzexpand.h>
#include <stdio.h>

#include "copy/copier.h"
#include "resource.h"
#include "platform/install_selection.h"
#include "platform/platform.h"
#include "ui/dialog_kit.h"

namespace {

enum {
    COPY_START_DELAY_MS = 100,
    COPY_DONE_DELAY_MS = 1000,
    // lParam of the IDCANCEL the page posts itself after a failed copy.
    PAGE_FAILURE_NOTICE = 1,
    // The posted retry is always taken before the user's Cancel, so a file
    // whose handles keep going bad would be tried for ever; after this many
    // attempts in a row it counts as failed.
    MAX_COPY_ATTEMPTS = 5,
};

const COLORREF kBarNavy = RGB(0, 0, 128);
const COLORREF kBarWhite = RGB(255, 255, 255);
const COLORREF kBarBlack = RGB(0, 0, 0);

// State of the page while it is open.
struct CopyPageState {
    BOOL runActive;      // a copy run is on the stack (between files it dispatches messages)
    LONG attemptIndex;   // file of the latest retried copy
    int attempts;        // retried copies of that file in a row
    BOOL allStaged;      // every file is staged: the last second runs
    BOOL committing;     // the staged set is going in: no cancel is taken
    BOOL doneWhileAsked; // the last second ended while the cancel question was open
};

CopyPageState s_page;

void PaintBarPart(HWND bar, const RECT &whole, const RECT &part, const RECT &other,
                  HBRUSH brush, COLORREF textColour, const char *text)
{
    HDC dc = GetDC(bar);
    if (!dc) return;
    ExcludeClipRect(dc, other.left, other.top, other.right, other.bottom);
    FillRect(dc, &part, brush);
    SetTextColor(dc, textColour);
    SetBkMode(dc, TRANSPARENT);
    RECT textRect = whole;
    DrawTextA(dc, text, -1, &textRect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    ReleaseDC(bar, dc);
}

// Two passes, each clipped to its own part, so the text changes colour
// exactly where the navy part ends.
void DrawBar(HWND page)
{
    // With nothing to copy there is no share to show: the bar keeps its
    // plain face, as it does before the first file.
    if (g_install.fileCount <= 0) return;
    HWND bar = GetDlgItem(page, IDC_COPY_BAR);
    RECT whole;
    if (!bar || !GetClientRect(bar, &whole)) return;

    int percent = MulDiv(100, g_install.copyIndex, g_install.fileCount);
    int x = percent >= 100 ? whole.right
                           : whole.left + percent * (whole.right - whole.left) / 100;
    RECT filled = whole;
    filled.right = x;
    RECT rest = whole;
    rest.left = x;
    char text[32];
    snprintf(text, sizeof(text), "%d %%", percent);

    HBRUSH navy = CreateSolidBrush(kBarNavy);
    if (navy) {
        PaintBarPart(bar, whole, filled, rest, navy, kBarWhite, text);
        DeleteObject(navy);
    }
    PaintBarPart(bar, whole, rest, filled, (HBRUSH)GetStockObject(WHITE_BRUSH), kBarBlack, text);
}

// No dialog keyboard handling here: Enter and Esc reach the focused Cancel
// button as plain keys and do nothing, while clicks, the space bar and the
// close box still send IDCANCEL.
void EmptyMessageQueue()
{
    MSG message;
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// After a retry code: the same file again, unless it has had its attempts.
void NoteRetry(HWND page, WPARAM *ending, LPARAM *endingParam)
{
    if (s_page.attemptIndex != g_install.copyIndex) {
        s_page.attemptIndex = g_install.copyIndex;
        s_page.attempts = 0;
    }
    if (++s_page.attempts < MAX_COPY_ATTEMPTS) {
        *ending = CMD_RETRY_COPY;
        *endingParam = 0;
    } else {
        *ending = IDCANCEL;
        *endingParam = PAGE_FAILURE_NOTICE;
    }
}

void CopyRun(HWND page)
{
    // A cancel answered No during a run, or a start timer firing inside a
    // dialog of the page, must not start a second run: the active one goes on.
    if (s_page.runActive) return;
    s_page.runActive = TRUE;
    WPARAM ending = IDOK;
    LPARAM endingParam = 0;
    LZStart();
    while (!g_install.cancelFlag && g_install.copyIndex < g_install.fileCount) {
        CopyOutcome outcome = CopyDriverFile(page, g_install.copyIndex);
        if (outcome == COPY_FAILED) {
            ending = IDCANCEL;
            endingParam = PAGE_FAILURE_NOTICE;
            break;
        }
        if (outcome == COPY_RETRY) {
            NoteRetry(page, &ending, &endingParam);
            break;
        }
        ++g_install.copyIndex;
        DrawBar(page);
        EmptyMessageQueue();
    }
    LZDone();
    if (ending == IDOK && !g_install.cancelFlag) s_page.allStaged = TRUE;
    s_page.runActive = FALSE;
    // A run stopped by a cancel posts nothing: Yes has ended the page already.
    if (!g_install.cancelFlag) PostMessageA(page, WM_COMMAND, ending, endingParam);
}

// The installed files change here and only here, once the page's outcome is
// success; from then on no cancel can be confirmed, and the page ends with
// what the files are.
void FinishCopy(HWND page)
{
    if (s_page.committing) return;
    s_page.committing = TRUE;
    EnableWindow(GetDlgItem(page, IDCANCEL), FALSE);
    EndDialog(page, CommitDriverFiles(page) ? 1 : 2);
}

void OnUserCancel(HWND page)
{
    // A second click queued before the question opened is not asked again.
    if (g_install.cancelFlag || s_page.committing) return;
    g_install.cancelFlag = 1;
    if (LOWORD(ConfirmCancel(page)) == IDYES) {
        EndDialog(page, 2);
        return;
    }
    g_install.cancelFlag = 0;
    if (s_page.doneWhileAsked) {
        FinishCopy(page);
        return;
    }
    // An active run goes on; once all is staged the last second runs out.
    if (s_page.runActive || s_page.allStaged) return;
    // The run the start timer would begin begins now, at the first file not
    // yet copied.
    KillTimer(page, TIMER_COPY_START);
    CopyRun(page);
}

// The page ends once, by the answer, when its last second runs out while
// the user is asked whether to cancel.
void EndCopied(HWND page)
{
    if (g_install.cancelFlag)
        s_page.doneWhileAsked = TRUE;
    else
        FinishCopy(page);
}

void RunTimerStep(HWND page, UINT_PTR timerId)
{
    if (timerId == TIMER_COPY_START) CopyRun(page);
    else if (timerId == TIMER_COPY_DONE) EndCopied(page);
}

// Without its start timer the first run is posted rather than run: inside
// WM_INITDIALOG it would copy before the page is shown.
void PostFirstRun(HWND page, UINT_PTR)
{
    PostMessageA(page, WM_COMMAND, CMD_RETRY_COPY, 0);
}

void OnInitDialog(HWND page)
{
    s_page.runActive = FALSE;
    s_page.attemptIndex = -1;
    s_page.attempts = 0;
    s_page.allStaged = FALSE;
    s_page.committing = FALSE;
    s_page.doneWhileAsked = FALSE;
    CentreDialog(page);
    SetFocus(GetDlgItem(page, IDCANCEL));
    ArmTimer(page, TIMER_COPY_START, COPY_START_DELAY_MS, PostFirstRun);
}

void OnTimer(HWND page, WPARAM timerId)
{
    KillTimer(page, timerId);
    RunTimerStep(page, timerId);
}

void OnCommand(HWND page, WPARAM wParam, LPARAM lParam)
{
    // The whole wParam on purpose: the page's commands come with notification
    // code 0, from its own posts, the Cancel button and the dialog keys.
    switch (wParam) {
    case IDOK:
        ArmTimer(page, TIMER_COPY_DONE, COPY_DONE_DELAY_MS, RunTimerStep);
        break;
    case IDCANCEL:
        if (lParam == PAGE_FAILURE_NOTICE) EndDialog(page, 2);
        else OnUserCancel(page);
        break;
    case CMD_RETRY_COPY:
        CopyRun(page);
        break;
    }
}

INT_PTR CALLBACK CopyPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(page);
        break;
    case WM_TIMER:
        OnTimer(page, wParam);
        break;
    case WM_COMMAND:
        OnCommand(page, wParam, lParam);
        break;
    case WM_ENTERIDLE:
        DrawBar(page);
        break;
    }
    return FALSE;
}

}  // namespace

INT_PTR RunCopyPage(HWND owner)
{
    BeginDriverCopy();
    INT_PTR result = DialogBoxParamA(ModuleInstance(), "IDD_COPY", owner, CopyPageProc, 0);
    // After a failure or a cancel, what was staged goes; after the commit
    // nothing is left.
    DiscardStagedFiles();
    return result;
}
