// Default printer (to be built).
#include "spooler/default_printer.h"

BOOL MakeDefaultPrinter(const char *) { return FALSE; }
