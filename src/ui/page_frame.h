// Helpers the wizard pages share: the confirmed cancel, the picture button
// of the page frame, and reading the chosen row of a page's list.
#pragma once
#include <windows.h>

// Asks whether to cancel the installation; on Yes ends the page with 2.
void CancelPageOnConfirm(HWND dialog);

// Draws the frame's picture button when the request is for IDC_LOGO.
void DrawFramePicture(const DRAWITEMSTRUCT *draw);

// Copies the selected row of the list into a 1024-byte buffer. FALSE when
// no row is selected or its text would not fit the buffer.
BOOL SelectedRowText(HWND dialog, int listId, char *text);

// Gives the keyboard focus to a control of the page.
void FocusControl(HWND dialog, int controlId);
