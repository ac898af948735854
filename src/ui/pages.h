// The wizard pages. Each runs modally, owned by the main window, and returns
// the command that ended it: IDC_NEXT, IDC_BACK, or 2 for cancel.
#pragma once
#include <windows.h>

INT_PTR RunWelcomePage(HWND owner);
INT_PTR RunModelPage(HWND owner);
INT_PTR RunPortPage(HWND owner);

// Finish page; flag 1 is success, anything else failure. Returns 1.
INT_PTR RunFinishPage(HWND owner, WPARAM resultFlag);

// Port enumeration used by the port page.
WORD PortCount();
void PortNameAt(WORD index, char *name);
