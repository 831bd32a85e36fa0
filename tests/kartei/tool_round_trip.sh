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
grep -qx 'Zeile 4: Kein Trennzeichen: kaputt' "$dir/err"

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

# Exported to a pipe through /dev/stdout: written straight into it.
"$tool" export --utf8 "$dir/box.trm" /dev/stdout | cmp - "$dir/back.txt"

# A box another program has open is not imported into, and stays as it was.
cp "$dir/box.trm" "$dir/before.trm"
if flock "$dir/.box.trm.lock" "$tool" import "$dir/box.trm" "$dir/words.txt" 2> "$dir/err"; then
  exit 1
fi
grep -q 'ist in einem anderen Programm geöffnet' "$dir/err"
cmp "$dir/box.trm" "$dir/before.trm"

# A write-protected box can be looked at and exported, not imported into. Modes do not
# hold for root, so root runs these as nobody.
as_user=""
if [ "$(id -u)" = 0 ]; then as_user="setpriv --reuid=65534 --regid=65534 --clear-groups"; fi
chmod 755 "$dir"
mkdir "$dir/ro"
chmod 777 "$dir/ro"
chmod 444 "$dir/box.trm"
$as_user "$tool" info "$dir/box.trm" | grep -qx 'Gesamt: 3'
$as_user "$tool" check "$dir/box.trm" | grep -qx 'Geladen: 3'
$as_user "$tool" export --utf8 "$dir/box.trm" "$dir/ro/ro.txt"
cmp "$dir/ro/ro.txt" "$dir/back.txt"
printf 'Tisch;table\n' > "$dir/new.txt"
if $as_user "$tool" import "$dir/box.trm" "$dir/new.txt" 2> "$dir/ro/err"; then exit 1; fi
grep -q 'schreibgeschützt' "$dir/ro/err"
cmp "$dir/box.trm" "$dir/before.trm"
# A box that cannot be read is named so, with the system's reason, and never called
# write-protected.
chmod 000 "$dir/box.trm"
if $as_user "$tool" info "$dir/box.trm" 2> "$dir/ro/err"; then exit 1; fi
grep -q "^Die Datei $dir/box.trm kann nicht gelesen werden: ." "$dir/ro/err"
if grep -q 'schreibgeschützt' "$dir/ro/err"; then exit 1; fi
chmod 644 "$dir/box.trm"

# Files that can't be read are refused with a message and a failing exit code.
if "$tool" info "$dir/missing.trm" 2> "$dir/err"; then exit 1; fi
test -s "$dir/err"
if "$tool" stats "$dir/missing.trm" 2> "$dir/err"; then exit 1; fi
test -s "$dir/err"
if "$tool" export "$dir/box.trm" "$dir/no/such/dir.txt" 2> /dev/null; then exit 1; fi
if "$tool" bogus 2> /dev/null; then exit 1; fi
"$tool" --help | grep -q import

# Anything but a readable regular file as word list is refused, the box untouched.
cp "$dir/box.trm" "$dir/before.trm"
for words in "$dir" /dev/null "$dir/missing.txt"; do
  if "$tool" import "$dir/box.trm" "$words" 2> "$dir/err"; then exit 1; fi
  grep -Eq "^termel-tool: Die Datei $words (kann nicht gelesen werden: .|ist ein Verzeichnis und keine Wortliste|ist keine gewöhnliche Datei)" "$dir/err"
  cmp "$dir/box.trm" "$dir/before.trm"
done

# "-" reads standard input (also through a pipe) and writes standard output.
printf '\342\200\236Zitat\342\200\234;quote\r\n' | "$tool" import "$dir/box.trm" - > "$dir/out"
grep -qx 'Hinzugefügt: 1' "$dir/out"
grep -qx 'Mit ersetzten Zeichen: 1' "$dir/out"
printf 'Baum;tree\n' > "$dir/more.txt"
"$tool" import "$dir/box.trm" - < "$dir/more.txt" | grep -qx 'Hinzugefügt: 1'
"$tool" export --utf8 "$dir/box.trm" - > "$dir/stdout.txt"
printf 'Haus;house\nGlück;luck\nStraße;street\n"Zitat";quote\nBaum;tree\n' | cmp - "$dir/stdout.txt"

# A card file whose rewrite would lose what its load could not read is left alone
# unless --force is given; records without a usable compartment go to compartment 1.
head -c 379 "$dir/box.trm" > "$dir/cut.trm"
cp "$dir/cut.trm" "$dir/cut-before.trm"
if "$tool" import "$dir/cut.trm" "$dir/more.txt" 2> "$dir/err"; then exit 1; fi
grep -q 'cut.trm ist beschädigt (nach 1 von 5 Karten).' "$dir/err"
grep -q -- '--force' "$dir/err"
cmp "$dir/cut.trm" "$dir/cut-before.trm"
"$tool" import --force "$dir/cut.trm" "$dir/more.txt" | grep -qx 'Hinzugefügt: 1'
"$tool" check "$dir/cut.trm" | grep -qx 'Geladen: 2'
echo ok
