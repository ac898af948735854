// The modeless status window shown during the wizard's background stages.
#include "ui/dialog_kit.h"
#include "platform/platform.h"
#include "resource.h"

namespace {

void OnInitDialog(HWND dialog)
{
    CentreDialog(dialog);
    char text[1024];
    LoadProgramString(g_dialogParams.statusStringId, text);
    SetDlgItemTextA(dialog, IDC_STATUS_TEXT, text);
}

INT_PTR CALLBACK StatusProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dialog);
        break;
    }
    return 0;
}

}  // namespace

HWND CreateStatusDialog(HWND owner, UINT stringId)
{
    g_dialogParams.statusStringId = LOWORD(stringId);
    return CreateDialogParamA(ModuleInstance(), "IDD_STATUS", owner, StatusProc, 0);
}
