#!/bin/sh
# termel-tool with flashcard packages: a real package comes into a new box with its
# cards in the compartments their intervals name, as Python's own reading of the
# package counts them, and a package holding only the placeholder of a newer
# collection is refused naming the file, with no box written.
set -eu
tool="$1"
decks="$2"
reader="$3"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

package="$decks/deutsch_englisch.apkg"
"$tool" import "$dir/box.trm" "$package" > "$dir/out" 2> "$dir/err"
grep -q '^Hinzugefügt: [1-9]' "$dir/out"
grep -qx 'Mediendateien ignoriert: 1 Datei (Bilder, Aufnahmen)' "$dir/err"
# Compartments as the independent reading places the notes, less those the box
# refused (reported on standard error with their note).
python3 "$reader" "$package" | awk -F '\t' '$1 == "card" { n[$2]++ }
  END { for (i = 1; i <= 6; i++) printf "%d. Fach: %d\n", i, n[i]; printf "Ablage: %d\n", n[7] }' \
  > "$dir/expected"
"$tool" info "$dir/box.trm" | grep -v '^Gesamt' > "$dir/info"
refused=$(grep -c '^Karte schon vorhanden: Notiz' "$dir/err" || true)
[ "$refused" -eq 1 ]
# The refused note is a second "wieder;again" whose first copy sits in the archive.
awk '/^Ablage/ { $2 = $2 - 1 } { print }' "$dir/expected" | cmp - "$dir/info"

# Only the placeholder of the newest form: refused, the file named, no box made.
python3 - "$decks/latex_cloze.apkg" "$dir/stub.apkg" <<'PY'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as source, zipfile.ZipFile(sys.argv[2], "w") as stub:
    for name in source.namelist():
        if name != "collection.anki21b":
            stub.writestr(name, source.read(name))
PY
if "$tool" import "$dir/stub.trm" "$dir/stub.apkg" > "$dir/out" 2> "$dir/err"; then exit 1; fi
grep -qx 'Keine lesbare Vokabeldatei: Das Paket enthält nur einen Platzhalter, die Sammlung selbst fehlt' "$dir/err"
grep -qF "$dir/stub.apkg" "$dir/err"
[ ! -e "$dir/stub.trm" ]
echo ok
