#include "support/dialog_answerer.h"

#include "resource.h"
#include "support/remote_windows.h"

int YesElseOkElseCancel(HWND dialog)
{
    return GetDlgItem(dialog, IDYES) ? IDYES : GetDlgItem(dialog, IDOK) ? IDOK : IDCANCEL;
}

// A dialog disabled under one of its own cannot take an answer; one that was
// answered is taken once it goes or such a dialog comes over it.
DialogAnswerer::DialogAnswerer(DWORD processId, DWORD threadId, ChooseAnswer choose, GiveAnswer give)
{
    thread = std::thread([=] {
        for (; !stop; Sleep(kLookAgainMs)) {
            for (HWND window : ProcessWindows(processId)) {
                if (WindowClass(window) != "#32770" || !IsWindowEnabled(window) ||
                    (threadId && GetWindowThreadProcessId(window, NULL) != threadId))
                    continue;
                int answer = choose(window);
                if (!answer) continue;
                give(window, answer);
                for (DWORD start = GetTickCount();
                     IsWindow(window) && IsWindowEnabled(window) && GetTickCount() - start < 5000;)
                    Sleep(kLookAgainMs);
                break;  // what was listed may have gone meanwhile
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

std::string MessageDialogText(HWND dialog)
{
    return ControlText(dialog, GetDlgItem(dialog, IDC_MSG_TEXT) ? IDC_MSG_TEXT : 0xFFFF);
}

AnsweredDialog AnswerNextDialog(DWORD processId, const char *caption, int button, DWORD timeoutMs,
                                std::function<void(HWND dialog)> look)
{
    AnsweredDialog seen;
    HANDLE answered = CreateEventA(NULL, TRUE, FALSE, NULL);
    {
        DialogAnswerer answerer(processId, 0, [&](HWND dialog) {
            if (seen.window || WindowText(dialog) != caption) return 0;
            seen.owner = GetWindow(dialog, GW_OWNER);
            seen.text = MessageDialogText(dialog);
            if (look) look(dialog);
            seen.window = dialog;
            SetEvent(answered);
            return button;
        });
        WaitForSingleObject(answered, timeoutMs);
    }
    CloseHandle(answered);
    seen.gone = seen.window && WaitForWindowGone(seen.window, timeoutMs);
    return seen;
}
