// The wizard pages. Each runs modally, owned by the main window, and returns
// the command that ended it: IDC_NEXT, IDC_BACK, or 2 for cancel.
#pragma once
#include <windows.h>

INT_PTR RunWelcomePage(HWND owner);
INT_PTR RunModelPage(HWND owner);
INT_PTR RunPortPage(HWND owner);

// Finish page; flag 1 is success, anything else failure. Returns 1.
INT_PTR RunFinishPage(HWND owner, WPARAM resultFlag);

// The port list's source: one enumeration of the spooler's ports, taken when
// the port page opens and released once its list is filled. Taking it drops
// an earlier one and returns the number of ports, 0 when it fails. A name
// goes into a 1024-byte buffer; an index beyond the snapshot writes nothing.
WORD TakePortSnapshot();
void PortNameAt(WORD index, char *name);
void ReleasePortSnapshot();
