// Platform check, platform table, product strings and the driver directory.
#include "platform/platform.h"

#include <winspool.h>

#include "platform/install_selection.h"
#include "platform/system_libraries.h"

namespace {

const PlatformRow kPlatformTable[] = {
    {0, "VP_K20x.INF", "VantrelPelzoran"},  // 5.0 Windows 2000
    {1, "VP_K20x.INF", "VantrelPelzoran"},  // 5.1 Windows XP
    {2, "VP_K20x.INF", "VantrelPelzoran"},  // 6.0 Windows Vista
    {3, "VP_K20x.INF", "VantrelPelzoran"},  // 6.1 Windows 7
};

const LONG kDriverVersion = 3;

HINSTANCE g_moduleInstance;

// Row of the table for an NT-family version, or -1 when it is not supported.
SHORT RowForVersion(DWORD major, DWORD minor)
{
    if (major == 5 && minor == 0) return 0;
    if (major == 5 && minor == 1) return 1;
    if (major == 6 && minor == 0) return 2;
    if (major == 6 && minor == 1) return 3;
    return -1;
}

// A 32-bit process on 64-bit Windows: an x86 driver cannot serve a local
// printer there. Looked up, not imported: Windows 2000 and XP before SP2
// lack the function, and without it the system is not a 64-bit one.
BOOL RunsUnderWow64()
{
    auto isWow64 = LookUpFunction<decltype(::IsWow64Process)>(GetModuleHandleA("kernel32.dll"),
                                                              "IsWow64Process");
    BOOL wow64 = FALSE;
    if (!isWow64 || !isWow64(GetCurrentProcess(), &wow64)) return FALSE;
    return wow64;
}

const PlatformRow &CurrentRow()
{
    SHORT row = g_install.platformRow;
    if (row < 0 || row > 3) row = 0;
    return kPlatformTable[row];
}

}  // namespace

void SetModuleInstance(HINSTANCE instance) { g_moduleInstance = instance; }
HINSTANCE ModuleInstance() { return g_moduleInstance; }

#if defined(__i386__)
// GetVersionExA takes the structure its size names: 148 bytes is
// OSVERSIONINFOA, and any other size fails the call.
static_assert(sizeof(OSVERSIONINFOA) == 148, "OSVERSIONINFOA is 148 bytes on x86");
#endif

BOOL CheckPlatform()
{
    OSVERSIONINFOA version;
    ZeroMemory(&version, sizeof(version));
    version.dwOSVersionInfoSize = sizeof(version);
    if (!GetVersionExA(&version)) return FALSE;
    if (version.dwPlatformId != VER_PLATFORM_WIN32_NT) return FALSE;

    // Every NT-family system gets the version-3 driver, decided before the
    // row: a refused system keeps it too, harmlessly.
    g_install.driverVersion = kDriverVersion;

    SHORT row = RowForVersion(version.dwMajorVersion, version.dwMinorVersion);
    if (row < 0) return FALSE;
    if (RunsUnderWow64()) return FALSE;
    g_install.platformRow = row;
    return TRUE;
}

SHORT PlatformRowIndex() { return g_install.platformRow; }
const char *SetupInfoFileName() { return CurrentRow().setupInfoFile; }
const char *ModelsSectionName() { return CurrentRow().modelsSection; }

const char *WindowClassName() { return "VP_K20X_Driver_Setup"; }
const char *SetupTitle() { return "Printer Driver Setup"; }
const char *ProviderName() { return "Vantrel Pelzoran, Co. Ltd."; }
const char *MakerUrl() { return ""; }
const char *NoticeLine() { return "Copyright (C) 2009 Vantrel Pelzoran, Co. Ltd."; }
const char *SpoolerEnvironment() { return "Windows NT x86"; }

BOOL GetDriverDirectory(char *directory)
{
    char found[1024];
    DWORD needed = 0;
    if (!GetPrinterDriverDirectoryA(NULL, NULL, 1, (BYTE *)found, sizeof(found), &needed))
        return FALSE;
    lstrcpynA(directory, found, sizeof(found));
    return TRUE;
}
