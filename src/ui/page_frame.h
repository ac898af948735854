// Helpers the wizard pages share: the confirmed cancel, the picture button
// of the page frame, the buttons and rows of the two list pages, and reading
// the chosen row of a page's list.
#pragma once
#include <windows.h>

#include "ui/owner_draw.h"

// Asks whether to cancel the installation; on Yes ends the page with 2.
void CancelPageOnConfirm(HWND dialog);

// Draws the frame's picture button when the request is for IDC_LOGO.
void DrawFramePicture(const DRAWITEMSTRUCT *draw);

// Cancel, Back and Next of a list page; Next calls onNext, which ends the
// page when the choice is complete.
void OnListPageCommand(HWND dialog, WPARAM wParam, void (*onNext)(HWND dialog));

// Draws a row of the page's list with its icon, or the frame's picture.
void DrawListPageItem(const DRAWITEMSTRUCT *draw, int listId, ChooseIcon chooseIcon);

// Copies the selected row of the list into a 1024-byte buffer. FALSE when
// no row is selected or its text would not fit the buffer.
BOOL SelectedRowText(HWND dialog, int listId, char *text);

// Gives the keyboard focus to a control of the page.
void FocusControl(HWND dialog, int controlId);
