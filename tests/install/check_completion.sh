#!/usr/bin/env bash
# Loads the bash completion of termel-tool the way bash-completion does and checks what
# it offers for a real tool: commands, options, and only the files each argument takes.
#
#   check_completion.sh COMPLETION TOOL
#
# Exits 1 listing every problem.
set -uo pipefail
# shellcheck source=tests/install/harness.sh
. "$(dirname "$0")/harness.sh"

need_args "COMPLETION TOOL" 2 2 "$#"
# Absolute, as the check runs in its scratch directory.
completion=$(realpath "$1") tool=$(realpath "$2")
bash_completion=${BASH_COMPLETION:-/usr/share/bash-completion/bash_completion}

make_scratch
cd "$scratch" || exit 1
mkdir "Alte Kisten"
touch "Englisch Klasse 7.trm" spanisch.trm spanisch.kas wörter.txt vokabeln.csv karten.tsv \
  kde.kvtml deck.apkg notizen.md
# Would match the option "[--utf8]" in the usage line if it were taken as a pattern.
touch u

# shellcheck source=/dev/null
. "$bash_completion" || { echo "cannot load $bash_completion" >&2; exit 1; }
# shellcheck source=resources/completion/termel-tool
. "$completion"
complete -p termel-tool >/dev/null 2>&1 || fail "the completion does not register termel-tool"

# Completes the last of the given words as if typed after TOOL; prints the offers
# sorted, one a line.
offers() {
  COMP_WORDS=("$tool" "$@")
  COMP_CWORD=$#
  COMP_LINE="$tool $*"
  COMP_POINT=${#COMP_LINE}
  COMPREPLY=()
  _termel_tool
  printf '%s\n' "${COMPREPLY[@]}" | sort
}

expect() {
  local want=$1 got
  shift
  got=$(offers "$@" | paste -sd' ')
  [ "$got" = "$want" ] || fail "'termel-tool $*<Tab>' offers '$got', expected '$want'"
}

expect "import info" i
expect "export" ex
expect "check" ch
expect "--help --version" --
expect "--utf8" export --
expect "--force --header" import --
for command in info import export check merge; do
  offers "" | grep -qx "$command" || fail "'termel-tool <Tab>' does not offer $command"
done

# Boxes where a box is expected, word lists where a word list is, and folders to walk
# into; never the box file (.kas) nor files of other kinds.
expect "Alte Kisten Englisch Klasse 7.trm spanisch.trm" info ""
expect "spanisch.trm" check sp
expect "" info spanisch.trm ""
# Flashcard packages are offered for import only: they are never written.
expect "Alte Kisten deck.apkg karten.tsv kde.kvtml vokabeln.csv wörter.txt" import spanisch.trm ""
expect "Alte Kisten Englisch Klasse 7.trm spanisch.trm" export --utf8 ""
expect "Alte Kisten karten.tsv kde.kvtml vokabeln.csv wörter.txt" export --utf8 spanisch.trm ""
expect "spanisch.trm" merge sp
expect "Alte Kisten Englisch Klasse 7.trm spanisch.trm" merge spanisch.trm ""
expect "Alte Kisten Englisch Klasse 7.trm spanisch.trm" merge spanisch.trm spanisch.trm ""
expect "" unbekannt ""
# Options after the files, and "--" ending them: what follows is a file, never an option.
expect "--utf8" export spanisch.trm wörter.txt --
expect "Alte Kisten deck.apkg karten.tsv kde.kvtml vokabeln.csv wörter.txt" import -- spanisch.trm ""
expect "" import -- spanisch.trm wörter.txt -
# find takes a box and then a free text, history a box.
expect "find" fi
expect "history" hi
expect "Alte Kisten Englisch Klasse 7.trm spanisch.trm" find ""
expect "" find spanisch.trm ""
expect "spanisch.trm" history sp

finish
