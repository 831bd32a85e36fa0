#!/bin/sh
# termel-tool and backups: a second import keeps the replaced box, and "backups" lists
# it with its date, time, card count and path.
set -eu
tool="$1"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
export XDG_DATA_HOME="$dir/data"

"$tool" backups "$dir/box.trm" | grep -qx 'Keine Sicherungen.'

printf 'Haus;house\nGlück;luck\n' > "$dir/one.txt"
printf 'Straße;street\n' > "$dir/two.txt"
printf 'Baum;tree\n' > "$dir/three.txt"
printf 'Tür;door\n' > "$dir/four.txt"
"$tool" import "$dir/box.trm" "$dir/one.txt" > /dev/null
touch -d '2026-02-28 13:14:15' "$dir/box.trm"
"$tool" import "$dir/box.trm" "$dir/two.txt" > /dev/null
touch -d '2026-03-01 07:08:09' "$dir/box.trm"
"$tool" import "$dir/box.trm" "$dir/three.txt" > /dev/null
# An import that adds nothing saves nothing: no backup, the box file untouched.
cp "$dir/box.trm" "$dir/before.trm"
"$tool" import "$dir/box.trm" "$dir/one.txt" | grep -qx 'Hinzugefügt: 0'
cmp "$dir/box.trm" "$dir/before.trm"

# Each box has a folder of its own, named by its real path.
backups="$dir/data/termel/backups/$(realpath "$dir/box.trm" | sed 's/%/%25/g; s|/|%2F|g')"
"$tool" backups "$dir/box.trm" > "$dir/list"
printf '%s\n' \
  "01.03.2026 07:08:09       3  $backups/box-20260301-070809.trm" \
  "28.02.2026 13:14:15       2  $backups/box-20260228-131415.trm" | cmp - "$dir/list"
test -f "$backups/box-20260228-131415.kas"

# A backup that cannot be made is a warning; the import itself succeeds.
printf 'x' > "$dir/blocked"
XDG_DATA_HOME="$dir/blocked" "$tool" import "$dir/box.trm" "$dir/four.txt" > "$dir/out" 2> "$dir/err"
grep -qx 'Hinzugefügt: 1' "$dir/out"
grep -qx 'Keine Sicherung: der Ordner für Sicherungen kann nicht angelegt werden.' "$dir/err"

if "$tool" backups 2> /dev/null; then exit 1; fi
echo ok
