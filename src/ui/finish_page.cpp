// Finish page (to be built).
#include "ui/pages.h"

INT_PTR RunFinishPage(HWND, WPARAM) { return 1; }
