#!/bin/sh
# termel-tool with .txt word lists as they really come: every line not taken is
# reported on standard error with its number, UTF-16 and mostly-UTF-8 files are read,
# also from a pipe, and an export that cannot keep every card says so.
set -eu
tool="$1"
data="$2"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

"$tool" import "$dir/box.trm" "$data/gemischt-utf8.txt" > "$dir/out" 2> "$dir/err"
grep -qx 'Hinzugefügt: 4' "$dir/out"
grep -qx 'Nicht übernommen: 2' "$dir/out"
grep -qx 'Zeile 3: Kein gültiges UTF-8: Süd;south' "$dir/err"
grep -qx 'Zeile 5: Kein gültiges UTF-8: Käse;cheese' "$dir/err"

# The spreadsheet's "Unicode text" through a pipe; the card already there is reported.
printf 'Straße;street\n' > "$dir/one.txt"
"$tool" import "$dir/box.trm" "$dir/one.txt" 2> "$dir/err" | grep -qx 'Hinzugefügt: 0'
grep -qx 'Zeile 1: Karte schon vorhanden: Straße;street' "$dir/err"
cat "$data/tabelle-utf16le.txt" | "$tool" import "$dir/box.trm" - > "$dir/out" 2> "$dir/err"
grep -qx 'Hinzugefügt: 5' "$dir/out"
grep -qx 'Zeile 4: Karte schon vorhanden: Straße;street' "$dir/err"
grep -qx 'Zeile 6: Zeichen nicht darstellbar: Smiley ?;smiley' "$dir/err"

# A line cut to a card's 63 characters is taken and reported.
long=$(printf '%070d' 0)
printf 'Lang;%s\r' "$long" | "$tool" import "$dir/box.trm" - > "$dir/out" 2> "$dir/err"
grep -qx 'Gekürzt: 1' "$dir/out"
grep -qx "Zeile 1: auf 63 Zeichen gekürzt: Lang;$long" "$dir/err"

# A term holding ";" cannot come back from .txt: the export says how many, CSV keeps it.
printf '"a;b",c\n' > "$dir/semi.csv"
"$tool" import "$dir/box.trm" "$dir/semi.csv" > /dev/null
"$tool" export "$dir/box.trm" "$dir/all.txt" 2> "$dir/err"
grep -q '^1 Karte lässt sich aus der Textdatei nicht unverändert zurücklesen' "$dir/err"
"$tool" export "$dir/box.trm" - 2> "$dir/err" > /dev/null
grep -q 'Als CSV-Datei (\*.csv) exportiert bleibt sie' "$dir/err"
"$tool" export "$dir/box.trm" "$dir/all.csv" 2> "$dir/err"
test ! -s "$dir/err"
echo ok
