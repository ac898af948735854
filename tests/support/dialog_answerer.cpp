#include "support/dialog_answerer.h"

#include "support/remote_windows.h"

int YesElseOkElseCancel(HWND dialog)
{
    return GetDlgItem(dialog, IDYES) ? IDYES : GetDlgItem(dialog, IDOK) ? IDOK : IDCANCEL;
}

DialogAnswerer::DialogAnswerer(DWORD processId, DWORD threadId, ChooseAnswer choose)
{
    thread = std::thread([=] {
        for (; !stop; Sleep(10)) {
            for (HWND window : ProcessWindows(processId)) {
                if (WindowClass(window) != "#32770" ||
                    (threadId && GetWindowThreadProcessId(window, NULL) != threadId))
                    continue;
                int button = choose(window);
                if (!button) continue;
                PressButton(window, button);
                WaitForWindowGone(window, 5000);
            }
        }
    });
}

DialogAnswerer::~DialogAnswerer()
{
    stop = true;
    thread.join();
}

DWORD AnswerUntilExit(HANDLE process, DWORD processId, DWORD timeoutMs)
{
    DialogAnswerer answerer(processId, 0, YesElseOkElseCancel);
    if (WaitForSingleObject(process, timeoutMs) != WAIT_OBJECT_0) return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process, &code);
    return code;
}
