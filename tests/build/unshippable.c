/* What the shipped programs must not do, for the build guards to find:
   SetProcessDPIAware (Vista on) bound late, an LZ function imported from
   KERNEL32, and a spooler environment other than x86. Linked a second time with
   KERNEL32 bound late and USER32 through a delay-load library that
   tools/make-delay-lib.sh did not make. Built, never run. */
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0600
#include <windows.h>
#include <lzexpand.h>
#include <stdio.h>

int main(void)
{
    OFSTRUCT info;
    SetProcessDPIAware();
    LZClose(LZOpenFileA((LPSTR) "x", &info, OF_READ));
    return puts("Windows NT x86, Windows x64");
}
