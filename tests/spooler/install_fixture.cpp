// Setup information, install record and spooler read-backs for the spooler
// tests, and the printer-handle count kept at the import table.
#include "install_fixture.h"

#include <winspool.h>

#include <vector>

#include "setupinfo/install_selection.h"
#include "setupinfo/setup_info.h"
#include "support/test_files.h"

namespace {

const char kSetupInfo[] =
    "[VantrelPelzoran]\r\n"
    "\"Test K201\" = K201,TESTHWID-K201\r\n"
    "\"Test K209\" = K209\r\n"
    "[K201]\r\n"
    "CopyFiles=@UNIDRV.DLL,@UNIDRVUI.DLL,@UNIDRV.HLP,@VP_K20x.GPD,@VP_K20x.DLL,@K201.INI\r\n"
    "DataSection=DATA\r\n"
    "[K209]\r\n"
    "CopyFiles=@UNIDRV.DLL,@VP_K20x.GPD\r\n"
    "[DATA]\r\n"
    "DefaultDataType=NT EMF 1.008\r\n";

decltype(&OpenPrinterA) g_realOpen;
decltype(&AddPrinterA) g_realAdd;
decltype(&ClosePrinter) g_realClose;
int g_handlesTaken, g_handlesGiven, g_printersAdded;

BOOL WINAPI CountedOpen(LPSTR name, LPHANDLE printer, LPPRINTER_DEFAULTSA defaults)
{
    BOOL opened = g_realOpen(name, printer, defaults);
    g_handlesTaken += opened ? 1 : 0;
    return opened;
}

HANDLE WINAPI CountedAdd(LPSTR server, DWORD level, LPBYTE record)
{
    ++g_printersAdded;
    HANDLE added = g_realAdd(server, level, record);
    g_handlesTaken += added ? 1 : 0;
    return added;
}

BOOL WINAPI CountedClose(HANDLE printer)
{
    ++g_handlesGiven;
    return g_realClose(printer);
}

}  // namespace

std::string PrepareInstall(const char *model, const char *port)
{
    std::string folder = MakeTempFolder("spooler");
    WriteFileBytes(folder + "\\VP_K20x.INF", kSetupInfo);
    SetCurrentDirectoryA(folder.c_str());
    CopyText(g_install.setupInfoPath, (folder + "\\VP_K20x.INF").c_str());
    g_install.driverVersion = 3;
    g_install.environment = "Windows NT x86";
    CopyText(g_install.modelName, model);
    CopyText(g_install.portName, port);
    ReadInstallData();
    return folder;
}

int DriverCount(const char *name)
{
    DWORD needed = 0, count = 0;
    EnumPrinterDriversA(NULL, (LPSTR) "Windows NT x86", 1, NULL, 0, &needed, &count);
    std::vector<BYTE> buffer(needed + 1);
    if (!EnumPrinterDriversA(NULL, (LPSTR) "Windows NT x86", 1, buffer.data(), needed,
                             &needed, &count))
        return 0;
    const DRIVER_INFO_1A *drivers = (const DRIVER_INFO_1A *)buffer.data();
    int matching = 0;
    for (DWORD i = 0; i < count; ++i) matching += lstrcmpA(drivers[i].pName, name) == 0;
    return matching;
}

std::string PrinterDriverAndPort(const char *printer)
{
    HANDLE handle = NULL;
    if (!OpenPrinterA((LPSTR)printer, &handle, NULL)) return "";
    DWORD needed = 0;
    GetPrinterA(handle, 2, NULL, 0, &needed);
    std::vector<BYTE> buffer(needed + 1);
    std::string result;
    if (GetPrinterA(handle, 2, buffer.data(), needed, &needed)) {
        const PRINTER_INFO_2A *record = (const PRINTER_INFO_2A *)buffer.data();
        result = std::string(record->pDriverName) + "|" + record->pPortName;
    }
    ClosePrinter(handle);
    return result;
}

bool AddForeignDriver(const char *driver)
{
    DRIVER_INFO_3A info = {3, (LPSTR)driver, (LPSTR) "Windows NT x86", (LPSTR) "UNIDRV.DLL",
                           (LPSTR) "OTHER.GPD", (LPSTR) "UNIDRVUI.DLL", (LPSTR) "UNIDRV.HLP",
                           (LPSTR) "OTHER.INI\0", NULL, (LPSTR) "RAW"};
    return AddPrinterDriverA(NULL, 3, (BYTE *)&info) != FALSE;
}

bool AddForeignPrinter(const char *printer, const char *driver, const char *port)
{
    if (!AddForeignDriver(driver)) return false;
    PRINTER_INFO_2A record = {};
    record.pPrinterName = (LPSTR)printer;
    record.pPortName = (LPSTR)port;
    record.pDriverName = (LPSTR)driver;
    record.pPrintProcessor = (LPSTR) "WinPrint";
    record.pDatatype = (LPSTR) "RAW";
    HANDLE added = AddPrinterA(NULL, 2, (BYTE *)&record);
    if (added) ClosePrinter(added);
    return added != NULL;
}

void DeletePrinterAndDriverNamed(const char *name)
{
    PRINTER_DEFAULTSA defaults = {NULL, NULL, PRINTER_ALL_ACCESS};
    HANDLE handle = NULL;
    if (OpenPrinterA((LPSTR)name, &handle, &defaults)) {
        DeletePrinter(handle);
        ClosePrinter(handle);
    }
    DeletePrinterDriverA(NULL, (LPSTR) "Windows NT x86", (LPSTR)name);
}

PrinterHandleWatch::PrinterHandleWatch()
    : open_("winspool.drv", "OpenPrinterA", (void *)CountedOpen),
      add_("winspool.drv", "AddPrinterA", (void *)CountedAdd),
      close_("winspool.drv", "ClosePrinter", (void *)CountedClose)
{
    g_realOpen = (decltype(g_realOpen))open_.original;
    g_realAdd = (decltype(g_realAdd))add_.original;
    g_realClose = (decltype(g_realClose))close_.original;
    g_handlesTaken = g_handlesGiven = g_printersAdded = 0;
}

int PrinterHandleWatch::StillOpen() const { return g_handlesTaken - g_handlesGiven; }
int PrinterHandleWatch::PrintersAdded() const { return g_printersAdded; }
