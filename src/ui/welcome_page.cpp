// Welcome page (to be built).
#include "ui/pages.h"

INT_PTR RunWelcomePage(HWND) { return 2; }
