// Drawing services of the wizard pages: the list filler, the owner-drawn
// rows with an icon, and the framed picture button.
#pragma once
#include <windows.h>

// Writes the text of entry index into a 1024-byte buffer.
typedef void (*FetchText)(WORD index, char *text);

// Writes the name of an icon resource for a row text. Called with one buffer
// as both arguments: read the text completely before writing the name.
typedef void (*ChooseIcon)(const char *rowText, char *iconName);

// A row at 96 DPI, and the room above and below its icon at every DPI.
enum { ROW_HEIGHT = 34, ROW_ICON_MARGIN = 1 };

// The rows' height: ROW_HEIGHT, or more where the system's icons are larger.
int RowHeight();

// Refills the list with count entries, each text once (letter case ignored).
void FillList(HWND dialog, int listId, SHORT count, FetchText fetch);

void MeasureRow(MEASUREITEMSTRUCT *measure);
void DrawRow(const DRAWITEMSTRUCT *draw, ChooseIcon chooseIcon);
void DrawSunkenFrame(const RECT *rect, HDC dc);
void DrawPictureButton(const DRAWITEMSTRUCT *draw);
