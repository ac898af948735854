/* What the shipped programs must not do, for the build guards to find:
   SetProcessDPIAware (Vista on) bound late, an LZ function imported from
   KERNEL32, a spooler environment other than x86, and a function looked up
   by hand through a pointer type without WINAPI. Linked a second time with
   KERNEL32 bound late and USER32 through a delay-load library that
   tools/make-delay-lib.sh did not make. Built, never run. */
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0600
#include <windows.h>
#include <lzexpand.h>
#include <stdio.h>

typedef BOOL (*IsWow64Proc)(HANDLE, PBOOL);

int main(void)
{
    OFSTRUCT info;
    BOOL wow64;
    IsWow64Proc isWow64 = (IsWow64Proc) GetProcAddress(GetModuleHandleA("KERNEL32.DLL"), "IsWow64Process");
    if (isWow64) isWow64(GetCurrentProcess(), &wow64);
    SetProcessDPIAware();
    LZClose(LZOpenFileA((LPSTR) "x", &info, OF_READ));
    return puts("Windows NT x86, Windows x64");
}
