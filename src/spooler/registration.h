// Registration of the model's driver (on the universal printer driver) and
// printer, and removal of a previous installation of that name.
#pragma once
#include <windows.h>

// The files the registered driver record names; each must be copied with
// the model.
enum DriverFile { DRIVER_FILE_DRIVER, DRIVER_FILE_DATA, DRIVER_FILE_CONFIG, DRIVER_FILE_HELP,
                  DRIVER_FILE_COUNT };
const char *RegisteredDriverFile(DriverFile which);

// The file beside the program whose date becomes the driver's.
const char *DriverDateFileName();

// Registers driver and printer from g_install; non-zero when the driver was
// registered and a printer of the model's name is in place (added now, or
// already there).
BOOL RegisterDriverAndPrinter();

// Removes a previous printer and driver of the model's name; non-zero when
// the way is clear.
BOOL RemovePreviousInstallation();

// The same removal with every result ignored.
void RemovePreviousInstallationLeniently();
