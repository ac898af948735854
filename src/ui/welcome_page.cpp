// Welcome page: greets the user, names the supported systems and asks to
// close running applications. Next goes on to the model page; Cancel asks
// first.
#include "ui/pages.h"

#include "resource.h"
#include "platform/install_selection.h"
#include "platform/platform.h"
#include "ui/dialog_kit.h"
#include "ui/page_background.h"
#include "ui/page_frame.h"

namespace {

void OnInitDialog(HWND dialog)
{
    CentreDialog(dialog);
    FitPageBackground(dialog);
    FocusControl(dialog, IDC_NEXT);
    char text[TEXT_BUFFER_SIZE];
    LoadProgramString(IDS_WELCOME_TEXT, text);
    SetDlgItemTextA(dialog, IDC_WELCOME_TEXT, text);
}

void OnCommand(HWND dialog, WPARAM wParam)
{
    switch (LOWORD(wParam)) {
    case IDCANCEL:
        CancelPageOnConfirm(dialog);
        break;
    case IDC_NEXT:
        EndDialog(dialog, IDC_NEXT);
        break;
    }
}

INT_PTR CALLBACK WelcomeProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
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

INT_PTR RunWelcomePage(HWND owner)
{
    return DialogBoxParamA(ModuleInstance(), "IDD_WELCOME", owner, WelcomeProc, 0);
}
