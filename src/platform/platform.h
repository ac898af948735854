// Start-up values: the module instance, the platform check and its table,
// and the product's fixed strings; and where the spooler keeps drivers.
#pragma once
#include <windows.h>

// One supported system: its setup-information file and models section.
struct PlatformRow {
    SHORT index;
    const char *setupInfoFile;
    const char *modelsSection;
};

// The module whose resources every dialog, string, icon and bitmap comes from.
void SetModuleInstance(HINSTANCE instance);
HINSTANCE ModuleInstance();

// Non-zero when this system is supported (a version of the table, not a
// 32-bit process on 64-bit Windows); then the platform row and the driver
// version number are stored in g_install.
BOOL CheckPlatform();

SHORT PlatformRowIndex();
const char *SetupInfoFileName();
const char *ModelsSectionName();

const char *WindowClassName();
const char *SetupTitle();
const char *ProviderName();
const char *MakerUrl();
const char *NoticeLine();
const char *SpoolerEnvironment();

// The spooler's driver directory for the caller's own environment, into a
// 1024-byte buffer. On failure the buffer is left as it was.
BOOL GetDriverDirectory(char *directory);
