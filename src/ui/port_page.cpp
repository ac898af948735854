// Port page: lists the spooler's ports with an infrared port or else COM1:
// preselected. Next stores the port and clears the way for the installation
// by removing a previous printer and driver of the model's name.
#include "ui/pages.h"

#include <string.h>

#include "copy/copier.h"
#include "resource.h"
#include "platform/install_selection.h"
#include "platform/platform.h"
#include "spooler/registration.h"
#include "spooler/spooler.h"
#include "ui/dialog_kit.h"
#include "ui/owner_draw.h"
#include "ui/page_background.h"
#include "ui/page_frame.h"

namespace {

// The ports the list is filled from. One enumeration for the whole fill: a
// fresh one per row made the fill grow with the square of the port count.
PORT_INFO_1A *g_portSnapshot;
DWORD g_portSnapshotCount;

// Called with one buffer as both arguments: the name is decided before it
// is written.
void ChoosePortIcon(const char *portName, char *iconName)
{
    const char *icon = "IDI_NETWORK";
    if (lstrcmpiA(portName, "FILE:") == 0)
        icon = "IDI_SETUP";
    else if (strncmp(portName, "LPT", 3) == 0 || strncmp(portName, "COM", 3) == 0)
        icon = "IDI_PORT";
    lstrcpyA(iconName, icon);
}

// Prefix search over the whole list, letter case ignored.
LRESULT FindPortRow(HWND dialog, const char *prefix)
{
    return SendDlgItemMessageA(dialog, IDC_PORT_LIST, LB_FINDSTRING, (WPARAM)-1, (LPARAM)prefix);
}

void OnInitDialog(HWND dialog)
{
    CentreDialog(dialog);
    FitPageBackground(dialog);
    FillList(dialog, IDC_PORT_LIST, (SHORT)TakePortSnapshot(), PortNameAt);
    ReleasePortSnapshot();
    LRESULT row = FindPortRow(dialog, "IR");
    if (row == LB_ERR) row = FindPortRow(dialog, "COM1:");
    if (row != LB_ERR) SendDlgItemMessageA(dialog, IDC_PORT_LIST, LB_SETCURSEL, row, 0);
    FocusControl(dialog, IDC_PORT_LIST);
}

void OnNext(HWND dialog)
{
    char port[TEXT_BUFFER_SIZE];
    if (!SelectedRowText(dialog, IDC_PORT_LIST, port)) {
        ShowStringMessage(dialog, IDS_SELECT_PORT, IDS_TITLE_WARNING, MESSAGE_STYLE_ERROR);
        return;
    }
    CopyText(g_install.portName, port);
    // Nothing could be copied: the installation ends before the earlier
    // printer of the model's name is removed for it.
    if (!CheckDriverDirectory(dialog)) {
        EndDialog(dialog, IDCANCEL);
        return;
    }
    if (!RemovePreviousInstallation()) {
        MessageBoxA(dialog,
                    "Previous verion driver is currently used by an application.\n"
                    "Terminate all applications. And then delete previous version driver "
                    "from printer folderand retry.",
                    "Setup error", MB_ICONERROR);
        EndDialog(dialog, IDCANCEL);
        return;
    }
    EndDialog(dialog, IDC_NEXT);
}

INT_PTR CALLBACK PortProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
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
        DrawListPageItem((const DRAWITEMSTRUCT *)lParam, IDC_PORT_LIST, ChoosePortIcon);
        break;
    case WM_COMMAND:
        OnListPageCommand(dialog, wParam, OnNext);
        break;
    }
    return 0;
}

}  // namespace

INT_PTR RunPortPage(HWND owner)
{
    return DialogBoxParamA(ModuleInstance(), "IDD_GETPORT", owner, PortProc, 0);
}

WORD TakePortSnapshot()
{
    ReleasePortSnapshot();
    g_portSnapshot = EnumLocalPorts(&g_portSnapshotCount);
    return (WORD)g_portSnapshotCount;
}

void PortNameAt(WORD index, char *name)
{
    if (g_portSnapshot && index < g_portSnapshotCount && g_portSnapshot[index].pName)
        lstrcpynA(name, g_portSnapshot[index].pName, TEXT_BUFFER_SIZE);
}

void ReleasePortSnapshot()
{
    if (g_portSnapshot) LocalFree(g_portSnapshot);
    g_portSnapshot = NULL;
    g_portSnapshotCount = 0;
}
