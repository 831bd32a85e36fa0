#!/usr/bin/env bash
# Checks that a tool's manual page describes every command and option its --help lists
# (each as a bold *name* in the scdoc source) and gives the synopsis of every command.
#
#   check_man_page.sh PAGE.scd TOOL
#
# Exits 1 listing every problem.
set -uo pipefail
# shellcheck source=tests/install/harness.sh
. "$(dirname "$0")/harness.sh"

need_args "PAGE.scd TOOL" 2 2 "$#"
page=$1 tool=$2

usage=$("$tool" --help) || { echo "$tool --help failed" >&2; exit 1; }
commands=$(sed -n 's/^  \([a-z-][a-z0-9-]*\).*/\1/p' <<<"$usage")
[ -n "$commands" ] || fail "$tool --help lists no commands"

name=$(basename "$tool")
for command in $commands; do
  grep -qF -- "*$command*" "$page" || fail "$page does not describe $command"
  case $command in
    -*) ;;
    *) grep -q -- "^\*$name\* $command\b" "$page" || fail "$page has no synopsis for $command" ;;
  esac
done

finish
