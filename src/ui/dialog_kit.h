// Dialog kit: centring, the program's own message dialogs, the cancel
// confirmation, the modeless status window and the one-shot window timer.
#pragma once
#include <windows.h>

// Style word of a message dialog: bits 0-3 the buttons, bits 4-7 the icon,
// with the values of the platform's MB_* flags.
typedef WORD MessageStyle;

enum {
    MESSAGE_STYLE_ERROR = MB_OK | MB_ICONHAND,        // 16
    MESSAGE_STYLE_QUESTION = MB_YESNO | MB_ICONQUESTION,  // 36
};

// Arguments handed from the show operations to the dialog procedures, read
// only in WM_INITDIALOG.
struct DialogParams {
    const char *messageText;
    const char *messageCaption;
    MessageStyle messageStyle;
    WORD statusStringId;
    WORD finishResultFlag;  // finish page: 1 success, anything else failure
};

extern DialogParams g_dialogParams;

// Centres the dialog over its owner and brings it to the foreground.
void CentreDialog(HWND dialog);

// Modal message dialog; returns its result (low word: the id of the command
// that ended it), or -1 when it cannot be created.
INT_PTR ShowMessage(HWND owner, const char *text, const char *caption, MessageStyle style);
INT_PTR ShowStringMessage(HWND owner, UINT textId, UINT captionId, MessageStyle style);

// Asks whether to cancel the installation; IDYES (6) in the low word means cancel.
INT_PTR ConfirmCancel(HWND owner);

// A hidden modeless status window showing the string; NULL when it cannot be
// created. The caller shows and destroys it.
HWND CreateStatusDialog(HWND owner, UINT stringId);

// Loads a string of the program into a 1024-byte buffer ("" when missing).
void LoadProgramString(UINT id, char *buffer);

// What a window's one-shot timer starts, by the timer's id.
typedef void (*TimerStep)(HWND window, UINT_PTR timerId);

// Arms a one-shot timer of the window. One that cannot be armed would leave
// the user waiting for ever: its step then runs at once.
void ArmTimer(HWND window, UINT_PTR timerId, UINT delayMs, TimerStep step);
