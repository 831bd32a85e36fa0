#!/bin/sh
# termel-tool's messages: reasons in words on standard error in every command, options
# after the files and "--", and imports that give no card change nothing.
set -eu
tool="$1"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
export XDG_DATA_HOME="$dir/data"

# Errors name the file and the reason in words, on standard error only.
for command in info check stats; do
  if "$tool" $command "$dir/fehlt.trm" > "$dir/out" 2> "$dir/err"; then exit 1; fi
  test ! -s "$dir/out"
  grep -qx "Die Datei $dir/fehlt.trm gibt es nicht." "$dir/err"
  if grep -q 'Fehler in' "$dir/err"; then exit 1; fi
done
printf 'kein dBASE' > "$dir/text.trm"
if "$tool" export "$dir/text.trm" "$dir/out.txt" 2> "$dir/err"; then exit 1; fi
grep -qx "Die Datei $dir/text.trm ist keine Kartei." "$dir/err"
if "$tool" import "$dir/text.trm" "$dir/out.txt" 2> "$dir/err"; then exit 1; fi
grep -qx "Die Datei $dir/text.trm ist keine Kartei." "$dir/err"

# A word list that is not there is named with the reason.
if "$tool" import "$dir/box.trm" "$dir/fehlt.txt" 2> "$dir/err"; then exit 1; fi
grep -q "Die Datei $dir/fehlt.txt kann nicht gelesen werden: ." "$dir/err"

# A word list that gives no card and has errors fails and makes no box.
printf 'ohne Semikolon\nauch ohne\n' > "$dir/bad.txt"
if "$tool" import "$dir/neu.trm" "$dir/bad.txt" > /dev/null 2> "$dir/err"; then exit 1; fi
test ! -e "$dir/neu.trm"
test ! -e "$dir/neu.kas"
grep -q 'Die Wortliste ergab keine Karte' "$dir/err"

# Options may follow the files; "--" ends them, so a file may start with a dash.
printf 'Haus;house\n' > "$dir/-words.txt"
(cd "$dir" && "$tool" import box.trm -- -words.txt) | grep -qx 'Hinzugefügt: 1'
"$tool" export "$dir/box.trm" "$dir/out.txt" --utf8
printf 'Haus;house\n' | cmp - "$dir/out.txt"
if "$tool" export "$dir/box.trm" "$dir/out.txt" --unbekannt 2> /dev/null; then exit 1; fi

# An import removes what killed saves of its box left, not other boxes' files.
printf 'halb' > "$dir/.box.trm.tmp-Ab12Cd"
printf 'halb' > "$dir/.andere.trm.tmp-Ab12Cd"
printf 'Baum;tree\n' > "$dir/baum.txt"
"$tool" import "$dir/box.trm" "$dir/baum.txt" | grep -qx 'Hinzugefügt: 1'
test ! -e "$dir/.box.trm.tmp-Ab12Cd"
test -e "$dir/.andere.trm.tmp-Ab12Cd"

# A FIFO named as the box is refused at once, never waited on.
mkfifo "$dir/fifo.trm"
for command in info check; do
  if timeout 10 "$tool" $command "$dir/fifo.trm" > /dev/null 2> "$dir/err"; then exit 1; fi
  grep -qx "Die Datei $dir/fifo.trm ist keine gewöhnliche Datei und keine Kartei." "$dir/err"
done

# No lock, no write: a directory where the lock file belongs refuses import and merge,
# with the reason, and the box stays as it was.
cp "$dir/box.trm" "$dir/before.trm"
mkdir "$dir/.box.trm.lock"
for command in import merge; do
  other="$dir/baum.txt"
  test $command = merge && other="$dir/before.trm"
  if "$tool" $command "$dir/box.trm" "$other" > /dev/null 2> "$dir/err"; then exit 1; fi
  grep -q "Die Kartei $dir/box.trm lässt sich nicht sperren: die Sperrdatei $dir/.box.trm.lock" "$dir/err"
  cmp "$dir/box.trm" "$dir/before.trm"
done
rmdir "$dir/.box.trm.lock"

# An export that cannot be written says why.
if "$tool" export "$dir/box.trm" "$dir/gibt/es/nicht.txt" 2> "$dir/err"; then exit 1; fi
grep -q "Die Datei $dir/gibt/es/nicht.txt kann nicht geschrieben werden" "$dir/err"
echo ok
