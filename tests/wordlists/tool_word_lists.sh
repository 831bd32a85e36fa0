#!/bin/sh
# termel-tool with the word lists of other programs: the format follows the file's
# extension both ways, --header passes over a CSV file's column names, refused lines
# are reported with their line numbers, and a box exported as KVTML comes back with
# its compartments.
set -eu
tool="$1"
data="$2"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

"$tool" import --header "$dir/box.trm" "$data/spreadsheet.csv" > "$dir/out" 2> "$dir/err"
grep -qx 'Hinzugefügt: 6' "$dir/out"
grep -qx 'Zeile 11: Zweiter Begriff fehlt: Apfel;' "$dir/err"
grep -qx 'Zeile 4: Weitere Spalten ignoriert: "Er sagte ""ja""";"He said ""yes""";Zitat' "$dir/err"
"$tool" import "$dir/box.trm" "$data/vokabeln.kvtml" | grep -qx 'Hinzugefügt: 7'
"$tool" info "$dir/box.trm" > "$dir/info"
grep -qx '1. Fach: 8' "$dir/info"
grep -qx '3. Fach: 1' "$dir/info"
grep -qx 'Ablage: 1' "$dir/info"

# KDE's example of the older KVTML: German the front, the grammar tables left out.
"$tool" import "$dir/v1.trm" "$data/kvtml1-beispiel.kvtml" | grep -qx 'Hinzugefügt: 20'
"$tool" export "$dir/v1.trm" - | head -n 1 | grep -qx 'gehen;go'

# Through KVTML into a new box: the same compartments.
"$tool" export "$dir/box.trm" "$dir/all.kvtml"
"$tool" import "$dir/copy.trm" "$dir/all.kvtml" | grep -qx 'Hinzugefügt: 13'
"$tool" info "$dir/copy.trm" | cmp - "$dir/info"

# Through CSV and tab-separated text: the same cards, all in compartment 1.
"$tool" export "$dir/box.trm" "$dir/all.csv"
"$tool" export "$dir/box.trm" "$dir/all.TSV"
head -n 1 "$dir/all.TSV" | grep -qx '#separator:tab'
"$tool" import "$dir/flat.trm" "$dir/all.csv" | grep -qx 'Hinzugefügt: 13'
"$tool" import "$dir/flat.trm" "$dir/all.TSV" | grep -qx 'Hinzugefügt: 0'
"$tool" export --utf8 "$dir/box.trm" "$dir/a.txt"
"$tool" export --utf8 "$dir/flat.trm" "$dir/b.txt"
sort "$dir/a.txt" > "$dir/a.sorted"
sort "$dir/b.txt" | cmp - "$dir/a.sorted"

# Options belong to their command.
if "$tool" import --utf8 "$dir/box.trm" "$data/plain.tsv" 2> /dev/null; then exit 1; fi
if "$tool" export --header "$dir/box.trm" "$dir/x.csv" 2> /dev/null; then exit 1; fi
if "$tool" import "$dir/box.trm" "$dir" 2> /dev/null; then exit 1; fi
echo ok
