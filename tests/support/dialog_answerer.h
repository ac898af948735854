// Answering the message dialogs of a program as a person would, from a
// thread of the test's own: the one answerer for dialogs of this process
// (opened in-process) and of another (setup.exe run from outside).
#pragma once
#include <windows.h>
#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "support/remote_windows.h"

// The answer to give a dialog; 0 leaves the dialog alone.
typedef std::function<int(HWND dialog)> ChooseAnswer;
// How the chosen answer is given; a click on the button of that id unless
// the test gives it otherwise (by key, by the close box).
typedef std::function<void(HWND dialog, int answer)> GiveAnswer;

// Yes where there is a Yes, else OK, else Cancel.
int YesElseOkElseCancel(HWND dialog);

// While it lives, answers every visible, enabled dialog of the process (of
// its thread threadId alone, unless 0) as chosen, then waits for that dialog
// to go, or to be held by a dialog of its own, before it looks again.
struct DialogAnswerer {
    DialogAnswerer(DWORD processId, DWORD threadId, ChooseAnswer choose, GiveAnswer give = PressButton);
    ~DialogAnswerer();
    DialogAnswerer(const DialogAnswerer &) = delete;
    DialogAnswerer &operator=(const DialogAnswerer &) = delete;
    std::atomic<bool> stop{false};
    std::thread thread;
};

// Answers everything the process shows with YesElseOkElseCancel until it
// ends; its exit code, or STILL_ACTIVE after the time-out.
DWORD AnswerUntilExit(HANDLE process, DWORD processId, DWORD timeoutMs);

// The text of a message dialog: the program's own hold it in IDC_MSG_TEXT,
// the platform's message box in the static of id 0xFFFF.
std::string MessageDialogText(HWND dialog);

// A dialog as it showed before it was answered; window is NULL when none came.
struct AnsweredDialog {
    HWND window = NULL, owner = NULL;
    std::string text;  // MessageDialogText
    bool gone = false;  // it went within the time-out once answered
};

// Waits up to timeoutMs for a dialog of the process with that caption,
// lets `look` examine it, presses the button and waits for it to go.
AnsweredDialog AnswerNextDialog(DWORD processId, const char *caption, int button, DWORD timeoutMs,
                                std::function<void(HWND dialog)> look = nullptr);
