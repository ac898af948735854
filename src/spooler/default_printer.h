// Makes a printer the user's default printer.
#pragma once
#include <windows.h>

// Writes the profile's device entry from the printer's own record and tells
// every top-level window; non-zero on success.
BOOL MakeDefaultPrinter(const char *printerName);
