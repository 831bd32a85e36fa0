#!/bin/sh
# termel-tool find and history: cards found on either side as the program's search
# finds them, exit code 1 when none are, and the figures of a box without a journal.
set -eu
tool="$1"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
export XDG_DATA_HOME="$dir/data"

printf 'das Haus;the house\r\nGlück;luck\r\nKrankenhaus;hospital\r\nCafé;café\r\n' > "$dir/words.txt"
"$tool" import "$dir/box.trm" "$dir/words.txt" > /dev/null

"$tool" find "$dir/box.trm" HAUS > "$dir/out"
printf '%s\n' '1. Fach: das Haus = the house' '1. Fach: Krankenhaus = hospital' | cmp - "$dir/out"
"$tool" find "$dir/box.trm" 'GLUECK' | grep -qx '1. Fach: Glück = luck'
"$tool" find "$dir/box.trm" ' cafe ' | grep -qx '1. Fach: Café = café'

status=0
"$tool" find "$dir/box.trm" 'Baum' > "$dir/out" || status=$?
test "$status" -eq 1 && test ! -s "$dir/out"
status=0
"$tool" find "$dir/box.trm" '→' > "$dir/out" || status=$?
test "$status" -eq 1
status=0
"$tool" find "$dir/missing.trm" 'Haus' 2> "$dir/err" || status=$?
test "$status" -eq 1
grep -q 'Die Datei kann nicht gelesen werden' "$dir/err"
status=0
"$tool" find "$dir/box.trm" > /dev/null 2>&1 || status=$?
test "$status" -eq 2

"$tool" history "$dir/box.trm" > "$dir/out"
test "$(grep -c '^  [0-9][0-9]\.[0-9][0-9]\. 0/0$' "$dir/out")" -eq 30
grep -qx 'Tage in Folge: 0' "$dir/out"
grep -qx 'Lerntage insgesamt: 0' "$dir/out"
test "$(grep -c '^  [0-9][0-9]\.[0-9][0-9]\.[0-9]\{4\} 0$' "$dir/out")" -eq 8
status=0
"$tool" history "$dir/missing.trm" 2> /dev/null || status=$?
test "$status" -eq 1
