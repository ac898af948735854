// Registration of the model's driver (on the universal printer driver) and
// printer, and removal of a previous installation of that name.
#pragma once
#include <windows.h>

// Registers driver and printer from g_install; non-zero when the driver was
// registered and a printer of the model's name is in place (added now, or
// already there).
BOOL RegisterDriverAndPrinter();

// Removes a previous printer and driver of the model's name; non-zero when
// the way is clear.
BOOL RemovePreviousInstallation();

// The same removal with every result ignored.
void RemovePreviousInstallationLeniently();
