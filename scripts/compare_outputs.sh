#!/bin/sh
# Converts every book (*.fb2, *.zip, recursively) of the given folders with two
# executables and the repository's default settings, and compares the books
# byte for byte. Prints one line per book: "same", "differs", "old only" (the
# new executable refused a book the old one converted), "new only" (a book
# only the new one converts) or "neither", with both exit codes.
#
# Usage: scripts/compare_outputs.sh OLD_EXE NEW_EXE FOLDER...
#   SETTINGS: the settings file both use (default: default_styles.sini).
# Ends with 1 when a book the old executable converted differs or is lost.
set -u

root=$(cd "$(dirname "$0")/.." && pwd)
old=$1
new=$2
shift 2
settings=${SETTINGS:-$root/default_styles.sini}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/tmp"
status=0
find "$@" -type f \( -name '*.fb2' -o -name '*.zip' \) | sort | while read -r book; do
    rm -f "$work/old.lrf" "$work/new.lrf"
    "$old" -s "$settings" -t "$work/tmp" -i "$book" -o "$work/old.lrf" >/dev/null 2>&1
    oldCode=$?
    "$new" -s "$settings" -t "$work/tmp" -i "$book" -o "$work/new.lrf" >/dev/null 2>&1
    newCode=$?
    if [ -f "$work/old.lrf" ] && [ -f "$work/new.lrf" ]; then
        if cmp -s "$work/old.lrf" "$work/new.lrf"; then result=same; else result=differs; fi
    elif [ -f "$work/old.lrf" ]; then
        result="old only"
    elif [ -f "$work/new.lrf" ]; then
        result="new only"
    else
        result=neither
    fi
    echo "$result  $oldCode $newCode  $book"
done | tee "$work/list"
grep -qE '^(differs|old only)' "$work/list" && status=1
exit $status
