#!/usr/bin/env bash
#   import_audit.sh PROGRAM.exe... [--console PROGRAM.exe...]
#
# Reads the import table and PE header of each program given and fails when
# Windows 2000 could not load it: a DLL that is not a Windows system DLL, a
# function that Windows 2000's system DLLs do not export, or a subsystem
# version above 5.0. Wine exports every function, so only this tells.
set -u
objdump=i686-w64-mingw32-objdump
status=0
fail() { echo "FAIL $exe: $*"; status=1; }

# DLLs that every Windows from 2000 on carries.
system_dlls='^(kernel32|user32|gdi32|advapi32|winspool\.drv|lz32|msvcrt|comdlg32|shell32|ole32|version|comctl32)(\.dll)?$'

# Not known DLLs, so never imported at load: bound late, from the system folder.
late_bound='^(winspool\.drv|lz32\.dll)$'

# Functions those systems' DLLs lack that MinGW's runtimes or careless code
# may import: Vista and later, XP and later, and msvcrt's secure (_s) forms.
late_functions='^(GetTickCount64|SetDllDirectory[AW]|SetDefaultDllDirectories|AddDllDirectory|RemoveDllDirectory|InitializeCriticalSectionEx|InitOnce.*|.*ConditionVariable.*|.*SRWLock.*|Fls(Alloc|Free|GetValue|SetValue)|GetModuleHandleEx[AW]|(Add|Remove)Vectored(Exception|Continue)Handler|EncodePointer|DecodePointer|IsWow64Process|GetNativeSystemInfo|InitializeSListHead|InterlockedPushEntrySList|InterlockedPopEntrySList|InterlockedFlushSList|QueryDepthSList|GetSystemTimes|GetLogicalProcessorInformation|CreateSymbolicLink[AW]|SetThreadStackGuarantee|CompareStringEx|LCIDToLocaleName|LocaleNameToLCID|GetUserDefaultLocaleName|GetLocaleInfoEx|GetFileInformationByHandleEx|CreateEventEx[AW]|CreateMutexEx[AW]|CreateSemaphoreEx[AW]|GetErrorMode|__iob_func|___lc_codepage_func|___mb_cur_max_func|__lc_collate_cp_func|_vscprintf|_vscwprintf|_strtoi64|_strtoui64|_wcstoi64|_wcstoui64|_get_output_format|_set_output_format|_aligned_.*|_(ftime|time|ctime|localtime|gmtime|mktime|stat|fstat|findfirst|findnext)64.*|.*_s)$'

# --console: the programs that follow are console programs, not GUI ones.
subsystem="Windows GUI"
for exe in "$@"; do
    if [ "$exe" = --console ]; then subsystem="Windows CUI"; continue; fi
    if [ ! -f "$exe" ]; then fail "missing"; continue; fi
    headers=$($objdump -p "$exe")
    grep -q "Subsystem.*($subsystem)" <<<"$headers" || fail "not a $subsystem program"
    major=$(awk '/MajorSubsystemVersion/ {print $2}' <<<"$headers")
    minor=$(awk '/MinorSubsystemVersion/ {print $2}' <<<"$headers")
    [ "$major" -lt 5 ] || { [ "$major" -eq 5 ] && [ "$minor" -eq 0 ]; } ||
        fail "subsystem version $major.$minor is above 5.0"

    dlls=$(awk '/DLL Name:/ {print tolower($3)}' <<<"$headers")
    [ -n "$dlls" ] || fail "no import table read"
    for dll in $dlls; do
        grep -Eq "$system_dlls" <<<"$dll" || fail "imports a DLL that is not a system DLL: $dll"
        grep -Eq "$late_bound" <<<"$dll" && fail "imports $dll at load, where it is searched beside the program"
    done
    functions=$(awk '/DLL Name:/ {in_dll=1; next} in_dll && NF==0 {in_dll=0}
                     in_dll && $1 ~ /^[0-9a-f]+$/ && NF>=3 {print $3}' <<<"$headers")
    [ -n "$functions" ] || fail "no imported functions read"
    for fn in $functions; do
        grep -Eq "$late_functions" <<<"$fn" && fail "imports $fn, which Windows 2000 lacks"
    done
    [ $status -eq 0 ] && echo "ok $exe: $(wc -w <<<"$dlls") DLLs, $(wc -w <<<"$functions") functions"
done
exit $status
