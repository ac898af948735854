#!/usr/bin/env bash
#   function_lookups.sh PATH...
#
# Fails where GetProcAddress appears in the files or folders given outside
# system_libraries.cpp and system_libraries.h, whose LookUpFunction types each
# function looked up from its real prototype: a pointer type written by hand
# compiles without WINAPI, and on i686 its call unbalances the stack.
set -u
status=0
for path in "$@"; do
    [ -e "$path" ] || { echo "FAIL $path: missing"; status=1; }
done
while IFS=: read -r file line _; do
    echo "FAIL $file:$line: names GetProcAddress outside system_libraries; look functions up through LookUpFunction"
    status=1
done < <(grep -Hrnw --exclude=system_libraries.cpp --exclude=system_libraries.h GetProcAddress "$@")
[ $status -eq 0 ] && echo "ok $*: GetProcAddress only in system_libraries"
exit $status
