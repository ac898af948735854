// The print spooler operations the program uses, all on the local machine.
// Enumerations follow the two-call pattern (ask for the size, allocate, read)
// and hand back a LocalAlloc buffer that the caller frees with LocalFree.
#pragma once
#include <windows.h>
#include <winspool.h>

// Ports at level 1, in a zero-filled buffer; NULL and *count 0 on failure.
PORT_INFO_1A *EnumLocalPorts(DWORD *count);

// Printer handles; NULL when the printer does not open.
HANDLE OpenPrinterNoDefaults(const char *printerName);
HANDLE OpenPrinterFullAccess(const char *printerName);

// The printer's level-2 record in a zero-filled buffer, or NULL.
PRINTER_INFO_2A *GetPrinterRecord(HANDLE printer);
