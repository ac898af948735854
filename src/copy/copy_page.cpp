// Copy progress page (to be built).
#include "copy/copy_page.h"

INT_PTR RunCopyPage(HWND) { return 2; }
