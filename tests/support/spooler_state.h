// What an installation left behind, read through the spooler and the profile
// as any other program would, and the spooler set-ups the tests start from.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

struct InstalledPrinter {
    std::string name, driver, port;
};

std::vector<std::string> InstalledDriverNames();
std::vector<InstalledPrinter> InstalledPrinters();
int DriverCount(const char *name);
// The printer's "driver|port", or "" when there is no printer of that name.
std::string PrinterDriverAndPort(const char *printer);

// The profile's default printer entry (windows, device); "" when there is none.
std::string DefaultPrinterEntry();

// The spooler's driver directory, without a trailing backslash.
std::string DriverDirectory();

// Adds or removes a port in the registry list the spooler's local ports come from.
void SetPortListed(const char *port, bool listed);

// A driver, and a printer on it, that this program did not install.
bool AddDriverNamed(const char *driverName);
bool AddPrinterOnDriver(const char *printerName, const char *driverName, const char *port);
// Whatever printer and driver of that name there is goes.
void DeletePrinterAndDriverNamed(const char *name);

