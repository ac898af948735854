// Driver and printer registration (to be built).
#include "spooler/registration.h"

BOOL RegisterDriverAndPrinter() { return FALSE; }
BOOL RemovePreviousInstallation() { return FALSE; }
void RemovePreviousInstallationLeniently() {}
