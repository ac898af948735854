// Spooler tests: the install record as start-up and the pages leave it, on
// setup information of the test's own, and the printer handles the code
// takes and gives back.
#pragma once
#include <windows.h>
#include <string>

#include "e2e/spooler_state.h"
#include "support/import_patch.h"

// Writes setup information into a new temp folder (made the current
// directory), points the reader at it and fills g_install as the pages
// would. Models: "Test K201" (hardware id TESTHWID-K201, data type
// "NT EMF 1.008"), "Test K209" (neither). Returns the folder.
std::string PrepareInstall(const char *model, const char *port);

// While it lives, counts the printer handles taken (OpenPrinterA,
// AddPrinterA) and given back (ClosePrinter) through the import table.
struct PrinterHandleWatch {
    PrinterHandleWatch();
    bool Active() const { return open.original && add.original && close.original; }
    int StillOpen() const;
    int PrintersAdded() const;
    ImportReplacement open, add, close;
};
