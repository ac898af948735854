#!/usr/bin/env bash
#   import_audit.sh [--late-bound] PROGRAM.exe... [--console PROGRAM.exe...]
#
# Reads the import table and PE header of each program given and fails when
# Windows 2000 could not load it: a DLL that is not a Windows system DLL, a
# function that Windows 2000's system DLLs do not export, or a subsystem
# version above 5.0. Wine exports every function, so only this tells.
#
# --late-bound: the programs that follow bind DLLs late, through libraries
# made by tools/make-delay-lib.sh, and have their link map beside them
# (PROGRAM.map). GNU ld leaves the delay-import directory empty, so the
# functions bound late are read from the map, and each must be listed in
# windows2000_exports.txt.
set -u
objdump=i686-w64-mingw32-objdump
exports=$(dirname "$0")/windows2000_exports.txt
status=0
fail() { echo "FAIL $exe: $*"; status=1; }

# DLLs that every Windows from 2000 on carries.
system_dlls='^(kernel32|user32|gdi32|advapi32|winspool\.drv|lz32|msvcrt|comdlg32|shell32|ole32|version|comctl32)(\.dll)?$'

# Not known DLLs, so never imported at load: bound late, from the system folder.
late_bound='^(winspool\.drv|lz32\.dll)$'

# Functions those systems' DLLs lack that MinGW's runtimes or careless code
# may import: Vista and later, XP and later, and msvcrt's secure (_s) forms.
late_functions='^(GetTickCount64|SetDllDirectory[AW]|SetDefaultDllDirectories|AddDllDirectory|RemoveDllDirectory|InitializeCriticalSectionEx|InitOnce.*|.*ConditionVariable.*|.*SRWLock.*|Fls(Alloc|Free|GetValue|SetValue)|GetModuleHandleEx[AW]|(Add|Remove)Vectored(Exception|Continue)Handler|EncodePointer|DecodePointer|IsWow64Process|GetNativeSystemInfo|InitializeSListHead|InterlockedPushEntrySList|InterlockedPopEntrySList|InterlockedFlushSList|QueryDepthSList|GetSystemTimes|GetLogicalProcessorInformation|CreateSymbolicLink[AW]|SetThreadStackGuarantee|CompareStringEx|LCIDToLocaleName|LocaleNameToLCID|GetUserDefaultLocaleName|GetLocaleInfoEx|GetFileInformationByHandleEx|CreateEventEx[AW]|CreateMutexEx[AW]|CreateSemaphoreEx[AW]|GetErrorMode|__iob_func|___lc_codepage_func|___mb_cur_max_func|__lc_collate_cp_func|_vscprintf|_vscwprintf|_strtoi64|_strtoui64|_wcstoi64|_wcstoui64|_get_output_format|_set_output_format|_aligned_.*|_(ftime|time|ctime|localtime|gmtime|mktime|stat|fstat|findfirst|findnext)64.*|.*_s)$'

# The LZ functions. KERNEL32 exports them too, and MinGW's libkernel32.a
# carries them: a changed link order would take them from there unseen.
lz_functions='^(LZ[A-Z].*|CopyLZFile|GetExpandedName[AW])$'

# A DLL's name as make-delay-lib.sh puts it into its members' names.
dll_key() { tr '[:lower:]' '[:upper:]' <<<"$1" | sed 's/[^A-Z0-9]/_/g'; }
allowed=$(while read -r dll fn; do
              [ -n "$dll" ] && [ "${dll:0:1}" != "#" ] && echo "$(dll_key "$dll") $fn"
          done <"$exports")

# "DLL function" for each function a link map shows bound late, and
# "unknown MEMBER" for the head of a delay-load library that
# tools/make-delay-lib.sh did not make (each head brings in __tailMerge_...).
# In the map's first section each archive member linked is named, followed
# (on its line or the next) by the reference that pulled it in, whose symbol
# ends the line in parentheses.
late_bound_functions() {
    awk '/^Archive member included/ {in_list=1; next}
         in_list && /^(Discarded input sections|Allocating common symbols|Memory Configuration)/ {exit}
         in_list && /^[^ \t]/ {member=$1; if (NF == 1) next}
         in_list && match($0, /\([^()]*\)$/) {
             symbol=substr($0, RSTART + 1, RLENGTH - 2)
             if (match(member, /\(delay_[A-Za-z0-9_]+_s[0-9]+\.o\)$/)) {
                 dll=substr(member, RSTART + 7, RLENGTH - 8); sub(/_s[0-9]+\.o$/, "", dll)
                 # ld shows symbols without their leading underscore.
                 sub(/^_*imp__/, "", symbol); sub(/@[0-9]+$/, "", symbol)
                 print toupper(dll), symbol
             } else if (symbol ~ /^_*tailMerge_/ && member !~ /\(delay_[A-Za-z0-9_]+_h\.o\)$/) {
                 print "unknown", member
             }
         }' "$1" | sort -u
}

# --console: the programs that follow are console programs, not GUI ones.
subsystem="Windows GUI"
late=0
for exe in "$@"; do
    if [ "$exe" = --console ]; then subsystem="Windows CUI"; continue; fi
    if [ "$exe" = --late-bound ]; then late=1; continue; fi
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
    # "dll function" for each function imported at load.
    imports=$(awk '/DLL Name:/ {dll=tolower($3); in_dll=1; next} in_dll && NF==0 {in_dll=0}
                   in_dll && $1 ~ /^[0-9a-f]+$/ && NF>=3 {print dll, $3}' <<<"$headers")
    [ -n "$imports" ] || fail "no imported functions read"
    while read -r dll fn; do
        grep -Eq "$late_functions" <<<"$fn" && fail "imports $fn, which Windows 2000 lacks"
        grep -Eq "$lz_functions" <<<"$fn" && fail "imports $fn from $dll at load, not late from LZ32.DLL"
    done <<<"$imports"
    summary="$(wc -w <<<"$dlls") DLLs, $(wc -l <<<"$imports") functions"

    if [ $late -eq 1 ]; then
        map=${exe%.*}.map
        bound=$([ -f "$map" ] && late_bound_functions "$map")
        [ -f "$map" ] || fail "no link map $map"
        # ld writes the map with the program; an older one is another link's.
        [ -f "$map" ] && [ $(($(stat -c %Y "$exe") - $(stat -c %Y "$map"))) -gt 10 ] &&
            fail "link map $map is older than the program"
        [ -n "$bound" ] || fail "no function bound late read from $map"
        while read -r dll fn; do
            [ -n "$dll" ] || continue
            if [ "$dll" = unknown ]; then
                fail "links a delay-load library not made by tools/make-delay-lib.sh ($fn)"
                continue
            fi
            grep -Eq "$lz_functions" <<<"$fn" && [ "$dll" != LZ32_DLL ] &&
                fail "binds $fn late from $dll, not from LZ32.DLL"
            grep -qx "$dll $fn" <<<"$allowed" ||
                fail "binds $fn late from $dll, which is not among the Windows 2000 exports listed in $(basename "$exports")"
        done <<<"$bound"
        summary="$summary at load, $(wc -l <<<"$bound") bound late"
    fi
    [ $status -eq 0 ] && echo "ok $exe: $summary"
done
exit $status
