#!/usr/bin/env bash
# Compiles Unix locales into a folder of the build tree, for Wine runs that
# take their ANSI code page from one the system lacks (wine-run.sh's
# SETUP_WINE_LOCALE, used through LOCPATH). Nothing on the machine changes.
# Safe to run again, and beside itself: a locale is made in a folder of its
# own and renamed into place once whole.
#
#   make-locale.sh FOLDER LOCALE...     e.g. make-locale.sh build/locale ja_JP.UTF-8
set -u
folder=$1
shift
mkdir -p "$folder" || exit 1
status=0
for name in "$@"; do
    [ -f "$folder/$name/LC_CTYPE" ] && continue
    command -v localedef >/dev/null || { echo "make-locale: localedef is missing (package locales)" >&2; exit 1; }
    work=$(mktemp -d "$folder/.$name.XXXXXX") || exit 1
    # localedef warns (and exits 1) on definitions that are not strict ISO C;
    # the locale is usable all the same when its files are written.
    localedef -i "${name%%.*}" -f "${name#*.}" "$work/$name" >"$work.log" 2>&1
    if [ -f "$work/$name/LC_CTYPE" ]; then
        mv -T "$work/$name" "$folder/$name" 2>/dev/null || [ -f "$folder/$name/LC_CTYPE" ] || status=1
    else
        echo "make-locale: $name could not be compiled: $(tail -n 1 "$work.log")" >&2
        status=1
    fi
    rm -rf "$work" "$work.log"
done
exit $status
