// Safe loading of the program's DLLs.
#include "platform/system_libraries.h"

#include <delayimp.h>
#include <stdio.h>

#include "platform/install_selection.h"

namespace {

// Bound late (delay-load import libraries); this hook hands the delay-load
// helper the copy from the system folder, so it never searches by name.
const char *const kLateBoundLibraries[] = {"WINSPOOL.DRV", "LZ32.DLL"};

// DLLs that the system's own components load by name into this program and
// that are not among the system's known DLLs: the compatibility shims' and
// user32's version.dll, the themed frames' uxtheme.dll (and its dwmapi.dll
// on Vista and 7), and the spooler's own comctl32.dll and compstui.dll.
// Loaded by full path first, they are then found among the loaded modules
// instead of beside the program.
const char *const kSystemComponentLibraries[] = {
    "version.dll", "uxtheme.dll", "dwmapi.dll", "comctl32.dll", "compstui.dll",
};

// LOAD_LIBRARY_SEARCH_SYSTEM32, which the Windows 2000 headers do not know.
const DWORD kSearchSystem32 = 0x00000800;

HMODULE LoadFromSystemFolder(const char *name)
{
    char path[TEXT_BUFFER_SIZE];
    UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return NULL;
    snprintf(path + length, sizeof(path) - length, "\\%s", name);
    return LoadLibraryA(path);
}

FARPROC WINAPI LoadLateBoundFromSystemFolder(unsigned notification, PDelayLoadInfo info)
{
    if (notification != dliNotePreLoadLibrary) return NULL;
    HMODULE module = LoadFromSystemFolder(info->szDll);
    // Without it the helper would search by name: end here instead.
    if (!module) ExitProcess(0);
    return (FARPROC)module;
}

}  // namespace

void NarrowDllSearch()
{
    __pfnDliNotifyHook2 = LoadLateBoundFromSystemFolder;

    // Looked up, not imported: neither exists on Windows 2000.
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    auto setDefaultDirectories =
        LookUpFunction<decltype(::SetDefaultDllDirectories)>(kernel, "SetDefaultDllDirectories");
    if (!setDefaultDirectories || !setDefaultDirectories(kSearchSystem32)) {
        auto setDllDirectory = LookUpFunction<decltype(::SetDllDirectoryA)>(kernel, "SetDllDirectoryA");
        if (setDllDirectory) setDllDirectory("");
    }
    for (const char *name : kSystemComponentLibraries) LoadFromSystemFolder(name);
}

BOOL LoadSystemLibraries()
{
    for (const char *name : kLateBoundLibraries) {
        if (LoadFromSystemFolder(name)) continue;
        char text[TEXT_BUFFER_SIZE];
        snprintf(text, sizeof(text),
                 "The system component %s cannot be loaded from the system folder.", name);
        MessageBoxA(NULL, text, "Install Error", MB_ICONERROR);
        return FALSE;
    }
    return TRUE;
}
