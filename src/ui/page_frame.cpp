// Helpers shared by the wizard pages.
#include "ui/page_frame.h"

#include "resource.h"
#include "platform/install_selection.h"
#include "ui/dialog_kit.h"

void CancelPageOnConfirm(HWND dialog)
{
    if (LOWORD(ConfirmCancel(dialog)) == IDYES) EndDialog(dialog, IDCANCEL);
}

void DrawFramePicture(const DRAWITEMSTRUCT *draw)
{
    if (draw->CtlID == IDC_LOGO) DrawPictureButton(draw);
}

void OnListPageCommand(HWND dialog, WPARAM wParam, void (*onNext)(HWND dialog))
{
    // The whole wParam is compared on purpose: only a button's own command
    // counts, so no notification of the list (a double click) presses Next.
    switch (wParam) {
    case IDCANCEL:
        CancelPageOnConfirm(dialog);
        break;
    case IDC_BACK:
        EndDialog(dialog, IDC_BACK);
        break;
    case IDC_NEXT:
        onNext(dialog);
        break;
    }
}

void DrawListPageItem(const DRAWITEMSTRUCT *draw, int listId, ChooseIcon chooseIcon)
{
    if ((int)draw->CtlID == listId)
        DrawRow(draw, chooseIcon);
    else
        DrawFramePicture(draw);
}

BOOL SelectedRowText(HWND dialog, int listId, char *text)
{
    HWND list = GetDlgItem(dialog, listId);
    LRESULT row = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (row == LB_ERR) return FALSE;
    // The list holds only texts its filler fetched into 1024-byte buffers;
    // the length is checked anyway, since LB_GETTEXT writes without a limit.
    LRESULT length = SendMessageA(list, LB_GETTEXTLEN, row, 0);
    if (length == LB_ERR || length >= TEXT_BUFFER_SIZE) return FALSE;
    return SendMessageA(list, LB_GETTEXT, row, (LPARAM)text) != LB_ERR;
}

void FocusControl(HWND dialog, int controlId)
{
    SetFocus(GetDlgItem(dialog, controlId));
}
