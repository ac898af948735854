// The background picture of the wizard pages, made to cover a page of any
// size: at 96 DPI page and picture are of one size; at larger settings the
// page grows and the picture is redrawn to its client area.
#pragma once
#include <windows.h>

// Lays the background over the whole client area of a page that is larger
// than the picture. Called when the page is initialised.
void FitPageBackground(HWND dialog);

// Frees what FitPageBackground made. Called when the page is destroyed.
void ReleasePageBackground(HWND dialog);
