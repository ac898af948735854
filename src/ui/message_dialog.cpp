// The program's modal message dialogs: one template per button set, caption,
// text and icon set when they open; the string-table messages and the cancel
// confirmation built on them.
#include "ui/dialog_kit.h"
#include "platform/platform.h"
#include "resource.h"

namespace {

// Template for bits 0-3 of the style; the button sets without a template of
// their own get the OK template.
const char *TemplateForStyle(MessageStyle style)
{
    switch (style & 0x0F) {
    case MB_OKCANCEL: return "IDD_MSG_OKCANCEL";
    case MB_YESNOCANCEL: return "IDD_MSG_YESNOCANCEL";
    case MB_YESNO: return "IDD_MSG_YESNO";
    case MB_RETRYCANCEL: return "IDD_MSG_RETRYCANCEL";
    default: return "IDD_MSG_OK";
    }
}

// System icon for bits 4-7 of the style; unknown icon bits give the
// application icon, so every message shows one.
LPCSTR IconForStyle(MessageStyle style)
{
    switch (style & 0xF0) {
    case MB_ICONHAND: return IDI_HAND;
    case MB_ICONQUESTION: return IDI_QUESTION;
    case MB_ICONEXCLAMATION: return IDI_EXCLAMATION;
    case MB_ICONASTERISK: return IDI_ASTERISK;
    default: return IDI_APPLICATION;
    }
}

void OnInitDialog(HWND dialog)
{
    CentreDialog(dialog);
    SetWindowTextA(dialog, g_dialogParams.messageCaption);
    SetDlgItemTextA(dialog, IDC_MSG_TEXT, g_dialogParams.messageText);
    HICON icon = LoadIconA(NULL, IconForStyle(g_dialogParams.messageStyle));
    SendDlgItemMessageA(dialog, IDC_MSG_ICON, STM_SETICON, (WPARAM)icon, 0);
}

// Any command ends the dialog, and the whole wParam is its result: a click
// gives the button's id, Escape and the close box IDCANCEL.
void OnCommand(HWND dialog, WPARAM wParam)
{
    EndDialog(dialog, (INT_PTR)wParam);
}

// No message is reported as handled, so the dialog sets no focus of its own.
INT_PTR CALLBACK MessageDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dialog);
        break;
    case WM_COMMAND:
        OnCommand(dialog, wParam);
        break;
    }
    return 0;
}

}  // namespace

INT_PTR ShowMessage(HWND owner, const char *text, const char *caption, MessageStyle style)
{
    g_dialogParams.messageText = text;
    g_dialogParams.messageCaption = caption;
    g_dialogParams.messageStyle = style;
    return DialogBoxParamA(ModuleInstance(), TemplateForStyle(style), owner, MessageDialogProc, 0);
}

INT_PTR ShowStringMessage(HWND owner, UINT textId, UINT captionId, MessageStyle style)
{
    char text[1024], caption[1024];
    LoadProgramString(textId, text);
    LoadProgramString(captionId, caption);
    return ShowMessage(owner, text, caption, style);
}

INT_PTR ConfirmCancel(HWND owner)
{
    return ShowStringMessage(owner, IDS_CONFIRM_CANCEL, IDS_TITLE_QUESTION, MESSAGE_STYLE_QUESTION);
}
