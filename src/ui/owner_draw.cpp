// Owner-drawn rows and picture button (to be built).
#include "ui/owner_draw.h"

void FillList(HWND, int, SHORT, FetchText) {}
void MeasureRow(MEASUREITEMSTRUCT *) {}
void DrawRow(const DRAWITEMSTRUCT *, ChooseIcon) {}
void DrawSunkenFrame(const RECT *, HDC) {}
void DrawPictureButton(const DRAWITEMSTRUCT *) {}
