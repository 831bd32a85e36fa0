#!/usr/bin/env bash
# Installs a build tree into a scratch prefix and checks that a desktop would find the
# program: the listed files are there, the desktop entry is valid and names an
# installed program, icon and MIME type, and the MIME package maps *.trm to that type.
#
#   check_install.sh BUILD_DIR BINDIR DATADIR [FILE ...]
#
# FILEs are paths relative to the prefix; empty ones are ignored so that CMake can
# leave out what this configuration does not build. $CMAKE names the cmake to install
# with. Exits 1 listing every problem.
set -uo pipefail
# shellcheck source=tests/install/harness.sh
. "$(dirname "$0")/harness.sh"

need_args "BUILD_DIR BINDIR DATADIR [FILE ...]" 3 "" "$#"
build=$1 bindir=$2 datadir=$3
shift 3

make_scratch
prefix=$scratch

if ! log=$("${CMAKE:-cmake}" --install "$build" --prefix "$prefix" 2>&1); then
  printf '%s\ncmake --install failed\n' "$log" >&2
  exit 1
fi

for file in "$@"; do
  [ -z "$file" ] || [ -s "$prefix/$file" ] || fail "not installed: $file"
done

share=$prefix/$datadir
entry=$share/applications/termel.desktop
if [ ! -f "$entry" ]; then
  fail "not installed: $datadir/applications/termel.desktop"
else
  desktop-file-validate "$entry" >&2 || fail "installed desktop entry does not validate"
  key() { sed -n "s/^$1=//p" "$entry"; }
  program=$(key Exec | cut -d' ' -f1)
  [ -x "$prefix/$bindir/$program" ] || [ ! -d "$prefix/$bindir" ] ||
    fail "Exec names $program, which is not installed in $bindir"
  icon=$(key Icon)
  [ -f "$share/icons/hicolor/scalable/apps/$icon.svg" ] ||
    fail "Icon names $icon, which is not installed as a scalable icon"
  mime_type=$(key MimeType | cut -d';' -f1)
fi

# update-mime-database builds the same tables a desktop reads, so a package it cannot
# parse, or one that maps the extension elsewhere, shows up here.
if [ ! -d "$share/mime/packages" ]; then
  fail "no MIME package installed in $datadir/mime/packages"
else
  log=$(update-mime-database "$share/mime" 2>&1) ||
    fail "update-mime-database rejected the package: $log"
  grep -q ":${mime_type:-application/x-termel-box}:\*\.trm$" "$share/mime/globs2" 2>/dev/null ||
    fail "*.trm is not registered as ${mime_type:-application/x-termel-box}"
  grep -q 'Termel-Kartei' "$share/mime/${mime_type:-application/x-termel-box}.xml" 2>/dev/null ||
    fail "the MIME type has lost its German description"
fi

finish
