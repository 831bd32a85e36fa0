#!/bin/sh
# termel-tool end to end: import a word list into a new box, look at it, export it
# again and get the same lines back.
set -eu
tool="$1"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

printf 'Haus;house\nGlück;luck\nStraße;street\nkaputt\n' > "$dir/words.txt"
"$tool" import "$dir/box.trm" "$dir/words.txt" > "$dir/out" 2> "$dir/err"
grep -qx 'Hinzugefügt: 3' "$dir/out"
grep -qx 'Kein Trennzeichen: kaputt' "$dir/err"

"$tool" info "$dir/box.trm" > "$dir/info"
grep -qx '1. Fach: 3' "$dir/info"
grep -qx 'Ablage: 0' "$dir/info"
grep -qx 'Gesamt: 3' "$dir/info"

"$tool" stats "$dir/box.trm" > "$dir/stats"
grep -qx '1. Fach: 3 (Grenze: 10)' "$dir/stats"
grep -qx '6. Fach: 0 (Grenze: 320)' "$dir/stats"
grep -qx 'Karten: 3' "$dir/stats"
grep -qx 'Anteil in der Ablage: 0,0 %' "$dir/stats"
grep -qx 'Am häufigsten nicht gewusst: keine' "$dir/stats"

"$tool" export --utf8 "$dir/box.trm" "$dir/back.txt"
printf 'Haus;house\nGlück;luck\nStraße;street\n' | cmp - "$dir/back.txt"

# Importing again adds nothing; the box stays as it was.
"$tool" import "$dir/box.trm" "$dir/back.txt" | grep -qx 'Hinzugefügt: 0'
"$tool" check "$dir/box.trm" | grep -qx 'Geladen: 3'

# Files that can't be read are refused with a message and a failing exit code.
if "$tool" info "$dir/missing.trm" 2> "$dir/err"; then exit 1; fi
test -s "$dir/err"
if "$tool" stats "$dir/missing.trm" 2> "$dir/err"; then exit 1; fi
test -s "$dir/err"
if "$tool" export "$dir/box.trm" "$dir/no/such/dir.txt" 2> /dev/null; then exit 1; fi
if "$tool" bogus 2> /dev/null; then exit 1; fi
"$tool" --help | grep -q import
echo ok
