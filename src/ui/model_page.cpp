// Model page (to be built).
#include "ui/pages.h"

INT_PTR RunModelPage(HWND) { return 2; }
