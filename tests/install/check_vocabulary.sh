#!/usr/bin/env bash
# Checks a vocabulary text file meant for "termel-tool import" before it becomes the
# sample box: every line must import as exactly the card it shows, in a form the card
# file keeps unchanged, and no card may be ambiguous in either asking direction.
#
#   check_vocabulary.sh [--min-pairs N] FILE.txt
#   check_vocabulary.sh --self-test     (proves each rule rejects what it should)
#
# Exits 0 when the file passes; otherwise lists every offending line and exits 1.
set -uo pipefail
# shellcheck source=tests/install/harness.sh
. "$(dirname "$0")/harness.sh"

readonly max_text=63  # a card's text holds at most 63 characters

# German letters outside ASCII, as code page 1252 bytes: the card file stores these
# through its character table, while other bytes above 0x7F may not survive a save.
readonly german=$'\xc4\xd6\xdc\xe4\xf6\xfc\xdf'

check_file() {
  local file=$1 min_pairs=$2 converted problems=0
  if [ ! -r "$file" ]; then
    echo "$file: cannot be read" >&2
    return 1
  fi
  if [ -s "$file" ] && [ "$(tail -c1 "$file" | od -An -tx1 | tr -d ' ')" != "0a" ]; then
    echo "$file: the last line has no line end" >&2
    problems=1
  fi
  # Lines are checked in their code page 1252 form, so that lengths count characters.
  converted=$(mktemp) || return 1
  if ! iconv -f UTF-8 -t CP1252 "$file" >"$converted" 2>/dev/null; then
    echo "$file: not UTF-8, or holds characters outside code page 1252" >&2
    rm -f "$converted"
    return 1
  fi
  LC_ALL=C awk -v max="$max_text" -v min="$min_pairs" -v foreign="[^ -~$german]" '
    function report(what) { printf "line %d: %s: %s\n", NR, what, $0; bad = 1 }
    {
      if ($0 ~ foreign) report("character outside ASCII and the German letters")
      if (index($0, "\\") > 0) report("a backslash would be taken for an escape")
      n = split($0, part, ";")
      if (n != 2) { report("needs exactly one semicolon"); next }
      front = part[1]; back = part[2]
      if (front == "" || back == "") report("empty term")
      if (front ~ /^ |  | $/ || back ~ /^ |  | $/) report("stray spaces")
      if (length(front) > max || length(back) > max) report("term longer than " max " characters")
      if (front in fronts) report("front already on line " fronts[front])
      if (back in backs) report("translation already on line " backs[back])
      fronts[front] = NR; backs[back] = NR
    }
    END {
      if (NR < min) { printf "only %d pairs, at least %d wanted\n", NR, min; bad = 1 }
      exit bad
    }' "$converted" | iconv -f CP1252 -t UTF-8 >&2
  [ "${PIPESTATUS[0]}" -eq 0 ] || problems=1
  rm -f "$converted"
  return "$problems"
}

# Each case is a file the checker must refuse; the last one it must accept.
self_test() {
  make_scratch
  local dir=$scratch long
  long=$(printf 'x%.0s' $(seq 64))
  expect() {
    local want=$1 name=$2 got=0
    shift 2
    printf '%s' "$@" >"$dir/$name.txt"
    check_file "$dir/$name.txt" 1 2>/dev/null || got=1
    [ "$got" = "$want" ] || fail "self-test $name: expected exit $want, got $got"
  }
  expect 1 no_separator $'der Apfel the apple\n'
  expect 1 two_separators $'der Apfel;the apple;an apple\n'
  expect 1 empty_front $';the apple\n'
  expect 1 trailing_space $'der Apfel ;the apple\n'
  expect 1 backslash $'der Apfel;the \\apple\n'
  expect 1 too_long "der Apfel;$long"$'\n'
  expect 1 duplicate_front $'die Bank;the bank\ndie Bank;the bench\n'
  expect 1 duplicate_back $'die Bank;the bench\ndie Sitzbank;the bench\n'
  expect 1 euro_sign $'der Euro;the \xe2\x82\xac\n'
  expect 1 not_code_page_1252 $'der Stern;the star \xe2\x98\x85\n'
  expect 1 latin1_bytes $'der K\xe4se;the cheese\n'
  expect 1 carriage_return $'der Apfel;the apple\r\n'
  expect 1 no_final_line_end $'der Apfel;the apple'
  expect 0 good "der Fuß;the foot"$'\n'"Ärger über Öl;trouble with oil"$'\n'"${long:1}"$';x\n'
  finish
}

min_pairs=1
case "${1:-}" in
  --self-test) self_test ;;
  --min-pairs)
    min_pairs=$2
    shift 2
    ;;
esac
need_args "[--min-pairs N] FILE.txt | --self-test" 1 1 "$#"
check_file "$1" "$min_pairs"
