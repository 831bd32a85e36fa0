#!/bin/sh
# termel-tool on files that are not whole card files: a damaged box, a box file, a card
# file without some of its columns. check fails; info, stats, export and find say what
# is wrong and list no cards.
set -eu
tool="$1"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
export XDG_DATA_HOME="$dir/data"

printf 'Haus;house\nBaum;tree\nAst;branch\n' > "$dir/words.txt"
"$tool" import "$dir/box.trm" "$dir/words.txt" > /dev/null
"$tool" check "$dir/box.trm" > /dev/null

# The last record cut in half.
size=$(wc -c < "$dir/box.trm")
head -c $((size - 80)) "$dir/box.trm" > "$dir/damaged.trm"
# A dBASE table with only the two text columns.
python3 - "$dir/narrow.trm" <<'PY'
import struct, sys
fields = [(b"DEUTSCH", 64), (b"UEBERSETZT", 64)]
head = struct.pack("<B3BIHH20x", 3, 124, 1, 1, 1, 33 + 32 * len(fields), 129)
for name, width in fields:
    head += name.ljust(11, b"\0") + b"C" + b"\0" * 4 + bytes([width, 0]) + b"\0" * 14
record = b" " + b"Haus".ljust(64) + b"house".ljust(64)
open(sys.argv[1], "wb").write(head + b"\r" + record + b"\x1a")
PY

for file in damaged.trm box.kas narrow.trm; do
  if "$tool" check "$dir/$file" > /dev/null 2> "$dir/err"; then exit 1; fi
  grep -q "$dir/$file" "$dir/err"
  for command in info stats; do
    if "$tool" $command "$dir/$file" > "$dir/out" 2> "$dir/err"; then exit 1; fi
    test ! -s "$dir/out"
    grep -q "$dir/$file" "$dir/err"
  done
  if "$tool" export "$dir/$file" "$dir/out.txt" 2> /dev/null; then exit 1; fi
  test ! -e "$dir/out.txt"
  if "$tool" find "$dir/$file" Haus > "$dir/out" 2> "$dir/err"; then exit 1; fi
  test ! -s "$dir/out"
  grep -q "$dir/$file" "$dir/err"
done
grep -q "fehlt die Spalte KASTEN" "$dir/err"

# A card file of another program with wide text columns and a deleted record: check
# tells both and passes; an import would cut the long text, so it needs --force.
python3 - "$dir/wide.trm" <<'PY'
import struct, sys
fields = [(b"DEUTSCH", "C", 100), (b"UEBERSETZT", "C", 100), (b"KASTEN", "C", 1),
          (b"ALTER", "N", 4), (b"GEWUSST", "N", 5), (b"UNBEKANNT", "N", 5)]
width = 1 + sum(f[2] for f in fields)
rows = [(b" ", b"Haus", b"house"), (b"*", b"weg", b"gone"), (b" ", b"lang", b"x" * 80)]
head = struct.pack("<B3BIHH20x", 3, 124, 1, 1, len(rows), 33 + 32 * len(fields), width)
for name, kind, length in fields:
    head += name.ljust(11, b"\0") + kind.encode() + b"\0" * 4 + bytes([length, 0]) + b"\0" * 14
body = b"".join(flag + front.ljust(100) + back.ljust(100) + b"A" + b"   1" + b"    0" * 2
                for flag, front, back in rows)
open(sys.argv[1], "wb").write(head + b"\r" + body + b"\x1a")
PY
"$tool" check "$dir/wide.trm" > "$dir/out" 2> "$dir/err"
grep -qx 'Geladen: 2' "$dir/out"
grep -qx 'Gelöschte Sätze übergangen: 1' "$dir/out"
grep -qx 'Texte über 63 Zeichen: 1' "$dir/out"
grep -q 'Texte länger als 63 Zeichen' "$dir/err"
if "$tool" import "$dir/wide.trm" "$dir/words.txt" > /dev/null 2> "$dir/err"; then exit 1; fi
grep -q 'Texte werden auf 63 Zeichen gekürzt. Nichts geändert; --force' "$dir/err"
"$tool" import --force "$dir/wide.trm" "$dir/words.txt" | grep -qx 'Hinzugefügt: 2'
"$tool" check "$dir/wide.trm" | grep -qx 'Geladen: 4'

# Word lists that give no card at all fail like those with errors, and make no box.
printf '' > "$dir/empty.csv"
printf '\357\273\277' > "$dir/bom.txt"
printf 'sep=;\r\n' > "$dir/sep.csv"
for list in empty.csv bom.txt sep.csv; do
  if "$tool" import "$dir/new.trm" "$dir/$list" > /dev/null 2> "$dir/err"; then exit 1; fi
  grep -q "Die Wortliste enthält keine Karte: $dir/$list" "$dir/err"
  test ! -e "$dir/new.trm"
done
echo ok
