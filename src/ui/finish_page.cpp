// Finish page: tells the user the outcome of the installation and, after
// success, offers to make the new printer the default printer.
#include "ui/pages.h"

#include "resource.h"
#include "platform/install_selection.h"
#include "platform/platform.h"
#include "spooler/default_printer.h"
#include "ui/dialog_kit.h"
#include "ui/page_background.h"
#include "ui/page_frame.h"

namespace {

BOOL Succeeded()
{
    return g_dialogParams.finishResultFlag == 1;
}

void ShowOutcomeIcon(HWND dialog, LPCSTR systemIcon)
{
    SendDlgItemMessageA(dialog, IDC_MSG_ICON, STM_SETICON, (WPARAM)LoadIconA(NULL, systemIcon), 0);
}

void OnInitDialog(HWND dialog)
{
    CentreDialog(dialog);
    FitPageBackground(dialog);
    SetWindowTextA(dialog, SetupTitle());
    char message[TEXT_BUFFER_SIZE];
    if (Succeeded()) {
        ShowOutcomeIcon(dialog, IDI_ASTERISK);
        LoadProgramString(IDS_INSTALL_OK, message);
        CheckDlgButton(dialog, IDC_SET_DEFAULT, BST_CHECKED);
    } else {
        ShowOutcomeIcon(dialog, IDI_HAND);
        LoadProgramString(IDS_INSTALL_FAILED, message);
        ShowWindow(GetDlgItem(dialog, IDC_SET_DEFAULT), SW_HIDE);
    }
    SetDlgItemTextA(dialog, IDC_NOTICE, NoticeLine());
    SetDlgItemTextA(dialog, IDC_EXIT_MESSAGE, message);
    FocusControl(dialog, IDOK);
}

void OnOk(HWND dialog)
{
    if (Succeeded() && IsDlgButtonChecked(dialog, IDC_SET_DEFAULT) == BST_CHECKED)
        MakeDefaultPrinter(g_install.modelName);
    EndDialog(dialog, 1);
}

void OnCommand(HWND dialog, WPARAM wParam)
{
    // The whole wParam is compared on purpose: OK is exactly 1 (a click, or
    // Enter on it), Escape and the close box exactly 2; nothing else ends
    // the page.
    switch (wParam) {
    case IDOK:
        OnOk(dialog);
        break;
    case IDCANCEL:
        EndDialog(dialog, 1);
        break;
    }
}

INT_PTR CALLBACK FinishProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dialog);
        break;
    case WM_DESTROY:
        ReleasePageBackground(dialog);
        break;
    case WM_COMMAND:
        OnCommand(dialog, wParam);
        break;
    case WM_DRAWITEM:
        DrawFramePicture((const DRAWITEMSTRUCT *)lParam);
        break;
    }
    return 0;
}

}  // namespace

INT_PTR RunFinishPage(HWND owner, WPARAM resultFlag)
{
    g_dialogParams.finishResultFlag = LOWORD(resultFlag);
    return DialogBoxParamA(ModuleInstance(), "IDD_EXIT", owner, FinishProc, 0);
}
