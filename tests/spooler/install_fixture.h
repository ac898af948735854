// Spooler tests: the install record as start-up and the pages leave it, on
// setup information of the test's own, and read-backs of Wine's spooler.
#pragma once
#include <windows.h>
#include <string>

#include "support/import_patch.h"

// Writes setup information into a new temp folder (made the current
// directory), points the reader at it and fills g_install as the pages
// would. Models: "Test K201" (hardware id TESTHWID-K201, data type
// "NT EMF 1.008"), "Test K209" (neither). Returns the folder.
std::string PrepareInstall(const char *model, const char *port);

// Drivers of that name in "Windows NT x86".
int DriverCount(const char *name);
// A printer's "driver|port", or "" when it does not open.
std::string PrinterDriverAndPort(const char *printer);

// A driver (and printer) this program did not install.
bool AddForeignDriver(const char *driver);
bool AddForeignPrinter(const char *printer, const char *driver, const char *port);
// Whatever printer and driver of that name there is goes.
void DeletePrinterAndDriverNamed(const char *name);

// While it lives, counts the printer handles taken (OpenPrinterA,
// AddPrinterA) and given back (ClosePrinter) through the import table.
class PrinterHandleWatch {
public:
    PrinterHandleWatch();
    bool Active() const { return open_.original && add_.original && close_.original; }
    int StillOpen() const;
    int PrintersAdded() const;

private:
    ImportReplacement open_, add_, close_;
};
