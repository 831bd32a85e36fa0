#!/usr/bin/env bash
# Checks the AppStream metadata: appstreamcli accepts it without a warning, its file is
# named after its id, it launches the given desktop entry and its newest release is
# the version being built.
#
#   check_metainfo.sh METAINFO DESKTOP_ENTRY VERSION
#
# Exits 1 listing every problem.
set -uo pipefail
# shellcheck source=tests/install/harness.sh
. "$(dirname "$0")/harness.sh"

need_args "METAINFO DESKTOP_ENTRY VERSION" 3 3 "$#"
metainfo=$1 entry=$2 version=$3

appstreamcli validate --no-net --pedantic "$metainfo" >&2 ||
  fail "appstreamcli does not accept $metainfo"

value() { xmllint --xpath "string($1)" "$metainfo"; }
id=$(value /component/id)
[ "$(basename "$metainfo")" = "$id.metainfo.xml" ] ||
  fail "$metainfo is not named after its id $id"
launchable=$(value "/component/launchable[@type='desktop-id']")
[ "$launchable" = "$(basename "$entry")" ] ||
  fail "launchable '$launchable' is not the desktop entry $(basename "$entry")"
newest=$(value "/component/releases/release[1]/@version")
[ "$newest" = "$version" ] ||
  fail "newest release is '$newest', but the version built is $version"

finish
