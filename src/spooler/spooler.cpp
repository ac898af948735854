// Print spooler interface.
#include "spooler/spooler.h"

namespace {

// Second half of the two-call pattern: a zero-filled buffer of the size the
// sizing call asked for. NULL when it asked for nothing.
BYTE *AllocateReported(DWORD needed)
{
    if (needed == 0) return NULL;
    return (BYTE *)LocalAlloc(LPTR, needed);
}

}  // namespace

PORT_INFO_1A *EnumLocalPorts(DWORD *count)
{
    *count = 0;
    DWORD needed = 0, returned = 0;
    EnumPortsA(NULL, 1, NULL, 0, &needed, &returned);
    BYTE *buffer = AllocateReported(needed);
    if (!buffer) return NULL;
    if (!EnumPortsA(NULL, 1, buffer, needed, &needed, &returned)) {
        LocalFree(buffer);
        return NULL;
    }
    *count = returned;
    return (PORT_INFO_1A *)buffer;
}

HANDLE OpenPrinterNoDefaults(const char *printerName)
{
    HANDLE printer = NULL;
    if (!OpenPrinterA((LPSTR)printerName, &printer, NULL)) return NULL;
    return printer;
}

HANDLE OpenPrinterFullAccess(const char *printerName)
{
    PRINTER_DEFAULTSA defaults;
    defaults.pDatatype = NULL;
    defaults.pDevMode = NULL;
    defaults.DesiredAccess = PRINTER_ALL_ACCESS;
    HANDLE printer = NULL;
    if (!OpenPrinterA((LPSTR)printerName, &printer, &defaults)) return NULL;
    return printer;
}

PRINTER_INFO_2A *GetPrinterRecord(HANDLE printer)
{
    DWORD needed = 0;
    GetPrinterA(printer, 2, NULL, 0, &needed);
    BYTE *buffer = AllocateReported(needed);
    if (!buffer) return NULL;
    if (!GetPrinterA(printer, 2, buffer, needed, &needed)) {
        LocalFree(buffer);
        return NULL;
    }
    return (PRINTER_INFO_2A *)buffer;
}
