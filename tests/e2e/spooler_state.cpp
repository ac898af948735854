// Reading and preparing the spooler of the scenarios' prefix.
#include "e2e/spooler_state.h"

#include <winspool.h>

namespace {

const char kEnvironment[] = "Windows NT x86";
const char kPortsKey[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Ports";

std::string Text(const char *text)
{
    return text ? text : "";
}

}  // namespace

std::vector<std::string> InstalledDriverNames()
{
    std::vector<std::string> names;
    DWORD needed = 0, count = 0;
    EnumPrinterDriversA(NULL, (LPSTR)kEnvironment, 1, NULL, 0, &needed, &count);
    if (needed == 0) return names;
    std::vector<BYTE> buffer(needed);
    if (!EnumPrinterDriversA(NULL, (LPSTR)kEnvironment, 1, &buffer[0], needed, &needed, &count))
        return names;
    const DRIVER_INFO_1A *drivers = (const DRIVER_INFO_1A *)&buffer[0];
    for (DWORD i = 0; i < count; ++i) names.push_back(Text(drivers[i].pName));
    return names;
}

std::vector<InstalledPrinter> InstalledPrinters()
{
    std::vector<InstalledPrinter> printers;
    DWORD needed = 0, count = 0;
    EnumPrintersA(PRINTER_ENUM_LOCAL, NULL, 2, NULL, 0, &needed, &count);
    if (needed == 0) return printers;
    std::vector<BYTE> buffer(needed);
    if (!EnumPrintersA(PRINTER_ENUM_LOCAL, NULL, 2, &buffer[0], needed, &needed, &count))
        return printers;
    const PRINTER_INFO_2A *records = (const PRINTER_INFO_2A *)&buffer[0];
    for (DWORD i = 0; i < count; ++i)
        printers.push_back({Text(records[i].pPrinterName), Text(records[i].pDriverName),
                            Text(records[i].pPortName)});
    return printers;
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
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kPortsKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    if (listed)
        RegSetValueExA(key, port, 0, REG_SZ, (const BYTE *)"", 1);
    else
        RegDeleteValueA(key, port);
    RegCloseKey(key);
}

bool AddPrinterOnDriver(const char *printerName, const char *driverName, const char *port)
{
    DRIVER_INFO_3A driver;
    ZeroMemory(&driver, sizeof(driver));
    driver.cVersion = 3;
    driver.pName = (LPSTR)driverName;
    driver.pEnvironment = (LPSTR)kEnvironment;
    driver.pDriverPath = (LPSTR)"UNIDRV.DLL";
    driver.pDataFile = (LPSTR)"OTHER.GPD";
    driver.pConfigFile = (LPSTR)"UNIDRVUI.DLL";
    if (!AddPrinterDriverA(NULL, 3, (BYTE *)&driver)) return false;

    PRINTER_INFO_2A printer;
    ZeroMemory(&printer, sizeof(printer));
    printer.pPrinterName = (LPSTR)printerName;
    printer.pPortName = (LPSTR)port;
    printer.pDriverName = (LPSTR)driverName;
    printer.pPrintProcessor = (LPSTR)"WinPrint";
    printer.pDatatype = (LPSTR)"RAW";
    HANDLE handle = AddPrinterA(NULL, 2, (BYTE *)&printer);
    if (!handle) return false;
    ClosePrinter(handle);
    return true;
}

std::vector<std::string> LocalPortNames()
{
    std::vector<std::string> names;
    DWORD needed = 0, count = 0;
    EnumPortsA(NULL, 1, NULL, 0, &needed, &count);
    if (needed == 0) return names;
    std::vector<BYTE> buffer(needed);
    if (!EnumPortsA(NULL, 1, &buffer[0], needed, &needed, &count)) return names;
    const PORT_INFO_1A *ports = (const PORT_INFO_1A *)&buffer[0];
    for (DWORD i = 0; i < count; ++i) names.push_back(Text(ports[i].pName));
    return names;
}
