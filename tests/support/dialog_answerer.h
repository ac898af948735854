// Answering the message dialogs of a program as a person would, from a
// thread of the test's own: the one answerer for dialogs of this process
// (opened in-process) and of another (setup.exe run from outside).
#pragma once
#include <windows.h>
#include <atomic>
#include <functional>
#include <thread>

// The button to press in a dialog; 0 leaves the dialog alone.
typedef std::function<int(HWND dialog)> ChooseAnswer;

// Yes where there is a Yes, else OK, else Cancel.
int YesElseOkElseCancel(HWND dialog);

// While it lives, presses the chosen button in every visible dialog of the
// process (of its thread threadId alone, unless 0), then waits for that
// dialog to go before it looks again.
struct DialogAnswerer {
    DialogAnswerer(DWORD processId, DWORD threadId, ChooseAnswer choose);
    ~DialogAnswerer();
    DialogAnswerer(const DialogAnswerer &) = delete;
    DialogAnswerer &operator=(const DialogAnswerer &) = delete;
    std::atomic<bool> stop{false};
    std::thread thread;
};

// Answers everything the process shows with YesElseOkElseCancel until it
// ends; its exit code, or STILL_ACTIVE after the time-out.
DWORD AnswerUntilExit(HANDLE process, DWORD processId, DWORD timeoutMs);
