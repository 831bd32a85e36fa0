# shellcheck shell=bash
# Shared by the check scripts in this directory (sourced, not run): a scratch
# directory removed on exit, and failures that are collected instead of stopping the
# check, so that one run lists every problem.
#
#   need_args USAGE MIN MAX "$#"      MAX empty for no limit
#   make_scratch                      sets $scratch
#   fail MESSAGE...                   reports and marks the run failed
#   finish                            exits 1 if anything failed

need_args() {
  local usage=$1 min=$2 max=$3 got=$4
  if [ "$got" -lt "$min" ] || { [ -n "$max" ] && [ "$got" -gt "$max" ]; }; then
    echo "usage: $(basename "$0") $usage" >&2
    exit 2
  fi
}

make_scratch() {
  scratch=$(mktemp -d) || exit 1
  # shellcheck disable=SC2064  # the directory is known now and must be what is removed
  trap "rm -rf '$scratch'" EXIT
}

harness_failed=0
fail() {
  echo "FAILED: $*" >&2
  harness_failed=1
}

finish() {
  exit "$harness_failed"
}
