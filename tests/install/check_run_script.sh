#!/usr/bin/env bash
# Checks scripts/run without building anything: the script runs inside a scratch copy
# of the repository whose setup, cmake and program are stand-ins, and the stand-in
# program records the card file it was started on.
#
#   check_run_script.sh PATH/TO/scripts/run
set -uo pipefail
# shellcheck source=tests/install/harness.sh
. "$(dirname "$0")/harness.sh"

need_args "PATH/TO/scripts/run" 1 1 "$#"
make_scratch

repo=$scratch/repo
mkdir -p "$repo/scripts" "$repo/build/app" "$repo/build/examples" "$scratch/bin" "$scratch/cwd"
cp "$1" "$repo/scripts/run"
printf '#!/bin/sh\n' >"$repo/scripts/setup"
# shellcheck disable=SC2016  # $1 belongs to the stand-in program, not to this script
printf '#!/bin/sh\nprintf "%%s\\n" "$1" >"%s/started"\n' "$scratch" >"$repo/build/app/termel"
printf '#!/bin/sh\n' >"$scratch/bin/cmake"
chmod +x "$repo/scripts/"* "$repo/build/app/termel" "$scratch/bin/cmake"
printf 'sample cards' >"$repo/build/examples/grundwortschatz.trm"
printf 'sample box' >"$repo/build/examples/grundwortschatz.kas"

data=$scratch/data
run() {
  rm -f "$scratch/started"
  (cd "$scratch/cwd" && PATH="$scratch/bin:$PATH" XDG_DATA_HOME=$data DISPLAY=:99 \
    "$repo/scripts/run" "$@") 2>"$scratch/stderr"
}
started() { cat "$scratch/started" 2>/dev/null; }

# Without a card file: the sample box is copied, with its box file, and opened there.
copy=$data/termel/grundwortschatz.trm
run || fail "first run without a card file exited $?"
[ "$(started)" = "$copy" ] || fail "started on '$(started)', not on the learner's copy"
cmp -s "$copy" "$repo/build/examples/grundwortschatz.trm" || fail "card file not copied"
cmp -s "${copy%.trm}.kas" "$repo/build/examples/grundwortschatz.kas" || fail "box file not copied"
[ ! -e "$copy.part" ] || fail "the partial copy was left behind"

# Later runs keep the learner's progress, even when the sample box was rebuilt.
printf 'learned cards' >"$copy"
printf 'rebuilt sample' >"$repo/build/examples/grundwortschatz.trm"
run || fail "second run exited $?"
[ "$(cat "$copy")" = "learned cards" ] || fail "the learner's copy was overwritten"
[ "$(started)" = "$copy" ] || fail "second run started on '$(started)'"

# A card file named by the caller is taken relative to the caller's directory, and
# the sample is not copied for it.
rm -rf "$data"
run mein.trm || fail "run with a card file exited $?"
[ "$(started)" = "$scratch/cwd/mein.trm" ] || fail "started on '$(started)', not on cwd/mein.trm"
[ ! -e "$copy" ] || fail "the sample was copied although a card file was named"

# Without a display the program is not started, and the script says why.
if (cd "$scratch/cwd" && PATH="$scratch/bin:$PATH" XDG_DATA_HOME=$data \
  env -u DISPLAY -u WAYLAND_DISPLAY "$repo/scripts/run" mein.trm) 2>"$scratch/stderr"; then
  fail "run without a display succeeded"
fi
grep -q 'no display' "$scratch/stderr" || fail "no reason given without a display"

# Without a built sample box and no card file, the script stops with a message
# instead of starting on nothing.
rm -rf "$data" "$repo/build/examples"
rm -f "$scratch/started"
if run; then fail "run without a sample box succeeded"; fi
[ -z "$(started)" ] || fail "the program was started without a sample box"
grep -q 'sample box' "$scratch/stderr" || fail "no reason given without a sample box"

finish
