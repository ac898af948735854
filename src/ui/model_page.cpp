// Model page: lists the models of the setup-information file. Next makes the
// chosen model the name of driver and printer and reads the model's install
// data; an earlier printer of that name stays until the port page, where the
// user has committed to installing.
#include "ui/pages.h"

#include "resource.h"
#include "platform/install_selection.h"
#include "setupinfo/setup_info.h"
#include "platform/platform.h"
#include "ui/dialog_kit.h"
#include "ui/owner_draw.h"
#include "ui/page_background.h"
#include "ui/page_frame.h"

namespace {

void ChooseModelIcon(const char *, char *iconName)
{
    lstrcpyA(iconName, "IDI_PRINTER");
}

void OnInitDialog(HWND dialog)
{
    CentreDialog(dialog);
    FitPageBackground(dialog);
    FillList(dialog, IDC_MODEL_LIST, (SHORT)ModelCount(), ModelNameAt);
    SendDlgItemMessageA(dialog, IDC_MODEL_LIST, LB_SETCURSEL, 0, 0);
    FocusControl(dialog, IDC_MODEL_LIST);
}

void OnNext(HWND dialog)
{
    char model[TEXT_BUFFER_SIZE];
    if (!SelectedRowText(dialog, IDC_MODEL_LIST, model)) {
        ShowStringMessage(dialog, IDS_SELECT_MODEL, IDS_TITLE_WARNING, MESSAGE_STYLE_ERROR);
        return;
    }
    CopyText(g_install.modelName, model);
    ReadInstallData();
    EndDialog(dialog, IDC_NEXT);
}

INT_PTR CALLBACK ModelProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dialog);
        break;
    case WM_DESTROY:
        ReleasePageBackground(dialog);
        break;
    case WM_MEASUREITEM:
        MeasureRow((MEASUREITEMSTRUCT *)lParam);
        break;
    case WM_DRAWITEM:
        DrawListPageItem((const DRAWITEMSTRUCT *)lParam, IDC_MODEL_LIST, ChooseModelIcon);
        break;
    case WM_COMMAND:
        OnListPageCommand(dialog, wParam, OnNext);
        break;
    }
    return 0;
}

}  // namespace

INT_PTR RunModelPage(HWND owner)
{
    return DialogBoxParamA(ModuleInstance(), "IDD_GETMODEL", owner, ModelProc, 0);
}
