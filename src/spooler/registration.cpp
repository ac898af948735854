// Driver and printer registration from g_install, and the removal of a
// previous printer and driver of the model's name.
#include "spooler/registration.h"

#include <stddef.h>
#include <stdio.h>
#include <winspool.h>

#include "platform/install_selection.h"
#include "setupinfo/setup_info.h"
#include "platform/platform.h"
#include "spooler/spooler.h"

namespace {

const char kDateFile[] = "VP_K20x.DLL";
const char *const kDriverFiles[DRIVER_FILE_COUNT] = {"UNIDRV.DLL", "VP_K20x.GPD", "UNIDRVUI.DLL",
                                                     "UNIDRV.HLP"};

// Last-write time of VP_K20x.DLL in the current directory. When the file
// cannot be opened or its time read, the date is zero: the record then
// carries no date rather than an invented one (such as today's), which
// would pass for the driver's own.
FILETIME DriverDate()
{
    FILETIME date = {0, 0};
    HANDLE file = CreateFileA(kDateFile, GENERIC_READ, 0, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) return date;
    FILETIME lastWrite;
    if (GetFileTime(file, NULL, NULL, &lastWrite)) date = lastWrite;
    CloseHandle(file);
    return date;
}

#if defined(__i386__)
// The x86 spooler reads the records at its own layout: 4-byte pointers, and
// the 8-byte driver version on 8-byte alignment after the date.
static_assert(sizeof(DRIVER_INFO_6A) == 80, "DRIVER_INFO_6A is 80 bytes on x86");
static_assert(offsetof(DRIVER_INFO_6A, dwlDriverVersion) == 56, "dwlDriverVersion at 56 on x86");
static_assert(sizeof(PRINTER_INFO_2A) == 84, "PRINTER_INFO_2A is 84 bytes on x86");
#endif

// previousNames receives the model name as a one-entry list, so it needs
// room for the list's closing empty string beyond a full model name.
void FillDriverRecord(DRIVER_INFO_6A *driver, char *previousNames)
{
    ZeroMemory(previousNames, TEXT_BUFFER_SIZE + 1);
    lstrcpynA(previousNames, g_install.modelName, TEXT_BUFFER_SIZE);

    ZeroMemory(driver, sizeof(*driver));
    driver->cVersion = (DWORD)g_install.driverVersion;
    driver->pName = g_install.modelName;
    driver->pEnvironment = (LPSTR)g_install.environment;
    driver->pDriverPath = (LPSTR)RegisteredDriverFile(DRIVER_FILE_DRIVER);
    driver->pDataFile = (LPSTR)RegisteredDriverFile(DRIVER_FILE_DATA);
    driver->pConfigFile = (LPSTR)RegisteredDriverFile(DRIVER_FILE_CONFIG);
    driver->pHelpFile = (LPSTR)RegisteredDriverFile(DRIVER_FILE_HELP);
    driver->pDependentFiles = g_install.copyList;
    driver->pDefaultDataType = g_install.defaultDataType;
    driver->pszzPreviousNames = previousNames;
    driver->ftDriverDate = DriverDate();
    driver->pszOEMUrl = (LPSTR)MakerUrl();
    driver->pszHardwareID = (LPSTR)ModelHardwareId(g_install.modelName);
    driver->pszProvider = (LPSTR)ProviderName();
}

void FillPrinterRecord(PRINTER_INFO_2A *printer)
{
    ZeroMemory(printer, sizeof(*printer));
    printer->pPrinterName = g_install.modelName;
    printer->pPortName = g_install.portName;
    printer->pDriverName = g_install.modelName;
    printer->pPrintProcessor = (LPSTR) "WinPrint";
    printer->pDatatype = g_install.defaultDataType;
    printer->Attributes = PRINTER_ATTRIBUTE_DO_COMPLETE_FIRST;
}

// The text and caption are the platform message's own, fixed by design.
void ShowDriverError(DWORD error)
{
    char text[TEXT_BUFFER_SIZE];
    snprintf(text, sizeof(text), "Cannot add a printer driver!\r\n(System Error Code : %d)",
             (int)error);
    MessageBoxA(NULL, text, "Add a printer error ", MB_ICONERROR);
}

// Deletes the model's printer (if it opens with full access) and then its
// driver. *found tells whether there was a printer; the result is non-zero
// only when both deletions succeeded.
BOOL DeletePrinterAndDriver(BOOL *found)
{
    HANDLE printer = OpenPrinterFullAccess(g_install.modelName);
    *found = printer != NULL;
    if (!printer) return FALSE;
    BOOL printerDeleted = DeletePrinter(printer);
    ClosePrinter(printer);
    if (!DeletePrinterDriverA(NULL, (LPSTR)g_install.environment, g_install.modelName))
        return FALSE;
    return printerDeleted;
}

}  // namespace

const char *RegisteredDriverFile(DriverFile which) { return kDriverFiles[which]; }

const char *DriverDateFileName() { return kDateFile; }

BOOL RegisterDriverAndPrinter()
{
    DRIVER_INFO_6A driver;
    char previousNames[TEXT_BUFFER_SIZE + 1];
    FillDriverRecord(&driver, previousNames);
    if (!AddPrinterDriverA(NULL, 6, (BYTE *)&driver)) {
        ShowDriverError(GetLastError());
        return FALSE;
    }

    PRINTER_INFO_2A printer;
    FillPrinterRecord(&printer);
    HANDLE added = AddPrinterA(NULL, 2, (BYTE *)&printer);
    // A printer the removal before could not delete is still in place, on
    // the driver just registered again.
    if (!added) return GetLastError() == ERROR_PRINTER_ALREADY_EXISTS;
    ClosePrinter(added);
    return TRUE;
}

BOOL RemovePreviousInstallation()
{
    BOOL found;
    BOOL removed = DeletePrinterAndDriver(&found);
    // Without a printer of that name there is nothing in the way, and the
    // driver is left alone.
    return found ? removed : TRUE;
}

void RemovePreviousInstallationLeniently()
{
    BOOL found;
    DeletePrinterAndDriver(&found);
}
