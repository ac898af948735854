// Reading and preparing the spooler of the tests' prefix.
#include "support/spooler_state.h"

#include <winspool.h>

#include <algorithm>

namespace {

const char kEnvironment[] = "Windows NT x86";
// Ample for the few entries of a test prefix.
const DWORD kListBytes = 65536;

}  // namespace

std::vector<std::string> InstalledDriverNames()
{
    std::vector<BYTE> buffer(kListBytes);
    DWORD needed = 0, count = 0;
    EnumPrinterDriversA(NULL, (LPSTR)kEnvironment, 1, &buffer[0], kListBytes, &needed, &count);
    std::vector<std::string> names;
    for (DWORD i = 0; i < count; ++i) names.push_back(((DRIVER_INFO_1A *)&buffer[0])[i].pName);
    return names;
}

std::vector<InstalledPrinter> InstalledPrinters()
{
    std::vector<BYTE> buffer(kListBytes);
    DWORD needed = 0, count = 0;
    EnumPrintersA(PRINTER_ENUM_LOCAL, NULL, 2, &buffer[0], kListBytes, &needed, &count);
    std::vector<InstalledPrinter> printers;
    for (DWORD i = 0; i < count; ++i) {
        const PRINTER_INFO_2A &p = ((PRINTER_INFO_2A *)&buffer[0])[i];
        printers.push_back({p.pPrinterName, p.pDriverName, p.pPortName});
    }
    return printers;
}

int DriverCount(const char *name)
{
    std::vector<std::string> names = InstalledDriverNames();
    return (int)std::count(names.begin(), names.end(), name);
}

std::string PrinterDriverAndPort(const char *printer)
{
    for (const InstalledPrinter &p : InstalledPrinters())
        if (p.name == printer) return p.driver + "|" + p.port;
    return "";
}

std::string DefaultPrinterEntry()
{
    char device[1024] = "";
    GetProfileStringA("windows", "device", "", device, sizeof(device));
    return device;
}

std::string DriverDirectory()
{
    char directory[1024] = "";
    DWORD needed = 0;
    GetPrinterDriverDirectoryA(NULL, NULL, 1, (BYTE *)directory, sizeof(directory), &needed);
    return directory;
}

void SetPortListed(const char *port, bool listed)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows NT\\CurrentVersion\\Ports",
                      0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    if (listed)
        RegSetValueExA(key, port, 0, REG_SZ, (const BYTE *)"", 1);
    else
        RegDeleteValueA(key, port);
    RegCloseKey(key);
}

bool AddDriverNamed(const char *driverName)
{
    DRIVER_INFO_3A driver = {3, (LPSTR)driverName, (LPSTR)kEnvironment, (LPSTR) "UNIDRV.DLL",
                             (LPSTR) "OTHER.GPD", (LPSTR) "UNIDRVUI.DLL", (LPSTR) "UNIDRV.HLP",
                             (LPSTR) "OTHER.INI\0", NULL, (LPSTR) "RAW"};
    return AddPrinterDriverA(NULL, 3, (BYTE *)&driver) != FALSE;
}

bool AddPrinterOnDriver(const char *printerName, const char *driverName, const char *port)
{
    if (!AddDriverNamed(driverName)) return false;
    PRINTER_INFO_2A printer = {};
    printer.pPrinterName = (LPSTR)printerName;
    printer.pPortName = (LPSTR)port;
    printer.pDriverName = (LPSTR)driverName;
    printer.pPrintProcessor = (LPSTR) "WinPrint";
    printer.pDatatype = (LPSTR) "RAW";
    HANDLE handle = AddPrinterA(NULL, 2, (BYTE *)&printer);
    if (handle) ClosePrinter(handle);
    return handle != NULL;
}

void DeletePrinterAndDriverNamed(const char *name)
{
    PRINTER_DEFAULTSA defaults = {NULL, NULL, PRINTER_ALL_ACCESS};
    HANDLE handle = NULL;
    if (OpenPrinterA((LPSTR)name, &handle, &defaults)) {
        DeletePrinter(handle);
        ClosePrinter(handle);
    }
    DeletePrinterDriverA(NULL, (LPSTR)kEnvironment, (LPSTR)name);
}
