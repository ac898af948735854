// Port page (to be built).
#include "ui/pages.h"

INT_PTR RunPortPage(HWND) { return 2; }
WORD PortCount() { return 0; }
void PortNameAt(WORD, char *) {}
