// Where the program's DLLs come from. A setup program runs from a folder the
// user does not control, often elevated, so no DLL may be taken from there:
// the search is narrowed first thing, the DLLs that the system's own
// components pull in are loaded from the system folder before anything asks
// for them by name, and the spooler and LZ32, bound late, come from the
// system folder only.
#pragma once
#include <windows.h>

// First thing at start-up, before any window exists.
void NarrowDllSearch();

// Loads WINSPOOL.DRV and LZ32.DLL from the system folder; FALSE (after a
// message) when one cannot be had, and the program then ends.
BOOL LoadSystemLibraries();

// A function that older systems lack, looked up by name and typed from its
// real prototype: LookUpFunction<decltype(::IsWow64Process)>(kernel,
// "IsWow64Process"). A pointer declared by hand without WINAPI does not take
// it on i686, where the call would unbalance the stack. Only named in
// decltype, the function is not imported.
template <typename Function>
Function *LookUpFunction(HMODULE module, const char *name)
{
    return (Function *)(void *)GetProcAddress(module, name);
}
