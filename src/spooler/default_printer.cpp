// Default printer: the profile's device entry, written from the printer's
// own driver and port, and the broadcast that tells everyone.
#include "spooler/default_printer.h"

#include <stdio.h>
#include <winspool.h>

#include "spooler/spooler.h"

namespace {

// The device entry "printer,driver,port" in a zero-filled buffer of exactly
// its size, or NULL.
char *BuildDeviceEntry(const char *printerName, const PRINTER_INFO_2A *record)
{
    int size = lstrlenA(printerName) + lstrlenA(record->pDriverName) +
               lstrlenA(record->pPortName) + 3;
    char *entry = (char *)LocalAlloc(LPTR, size);
    if (!entry) return NULL;
    snprintf(entry, size, "%s,%s,%s", printerName, record->pDriverName, record->pPortName);
    return entry;
}

BOOL WriteDeviceEntry(const char *printerName, HANDLE printer)
{
    PRINTER_INFO_2A *record = GetPrinterRecord(printer);
    if (!record) return FALSE;
    if (!record->pDriverName || !record->pPortName) {
        LocalFree(record);
        return FALSE;
    }
    char *entry = BuildDeviceEntry(printerName, record);
    LocalFree(record);
    if (!entry) return FALSE;
    BOOL written = WriteProfileStringA("windows", "device", entry);
    LocalFree(entry);
    return written;
}

// The device entry is the default printer only on the NT family, the only
// one the program runs on.
BOOL IsNtPlatform()
{
    OSVERSIONINFOA version;
    ZeroMemory(&version, sizeof(version));
    version.dwOSVersionInfoSize = sizeof(version);
    return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

}  // namespace

BOOL MakeDefaultPrinter(const char *printerName)
{
    if (!printerName || !printerName[0]) return FALSE;
    if (!IsNtPlatform()) return FALSE;

    HANDLE printer = OpenPrinterNoDefaults(printerName);
    if (!printer) return FALSE;
    BOOL written = WriteDeviceEntry(printerName, printer);
    if (written)
        SendMessageTimeoutA(HWND_BROADCAST, WM_WININICHANGE, 0, 0, SMTO_NORMAL, 1000, NULL);
    ClosePrinter(printer);
    return written;
}
