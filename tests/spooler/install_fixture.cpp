// Setup information and install record for the spooler tests, and the
// printer-handle count kept at the import table.
#include "install_fixture.h"

#include <winspool.h>

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

PrinterHandleWatch::PrinterHandleWatch()
    : open("winspool.drv", "OpenPrinterA", (void *)CountedOpen),
      add("winspool.drv", "AddPrinterA", (void *)CountedAdd),
      close("winspool.drv", "ClosePrinter", (void *)CountedClose)
{
    g_realOpen = (decltype(g_realOpen))open.original;
    g_realAdd = (decltype(g_realAdd))add.original;
    g_realClose = (decltype(g_realClose))close.original;
    g_handlesTaken = g_handlesGiven = g_printersAdded = 0;
}

int PrinterHandleWatch::StillOpen() const { return g_handlesTaken - g_handlesGiven; }
int PrinterHandleWatch::PrintersAdded() const { return g_printersAdded; }
