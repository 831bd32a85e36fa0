#!/usr/bin/env bash
# Builds the Debian package of a build tree into a scratch directory and checks it with
# dpkg-deb: the file name, the control data (name, version, architecture, maintainer,
# section, description, library dependencies), that it holds exactly what the install
# rules install, below /usr, with manual pages gzipped, and that the programs in it run.
#
#   check_package.sh BUILD_DIR VERSION
#
# $CMAKE and $CPACK name the cmake and cpack to use. Exits 1 listing every problem.
set -uo pipefail
# shellcheck source=tests/install/harness.sh
. "$(dirname "$0")/harness.sh"

need_args "BUILD_DIR VERSION" 2 2 "$#"
build=$1 version=$2

make_scratch
if ! log=$("${CPACK:-cpack}" -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/out" 2>&1); then
  printf '%s\ncpack failed\n' "$log" >&2
  exit 1
fi

architecture=$(dpkg --print-architecture)
deb=$scratch/out/termel_${version}_${architecture}.deb
if [ ! -f "$deb" ]; then
  fail "no termel_${version}_${architecture}.deb; cpack wrote: $(cd "$scratch/out" && ls ./*.deb)"
  finish
fi

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = termel ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)', expected $version"
[ "$(field Architecture)" = "$architecture" ] ||
  fail "Architecture is '$(field Architecture)', expected $architecture"
[ "$(field Section)" = education ] || fail "Section is '$(field Section)'"
[[ $(field Maintainer) =~ ^[^\<]+\ \<[^@\>]+@[^\>]+\>$ ]] ||
  fail "Maintainer '$(field Maintainer)' is not 'name <address>'"
description=$(field Description)
[ "$(wc -l <<<"$description")" -gt 2 ] || fail "the description has no long text: $description"
depends=$(field Depends)
[[ $depends == *libc6* && $depends == *libstdc++6* ]] ||
  fail "Depends does not name the C and C++ libraries: '$depends'"

# Exactly the files an install puts in place, so nothing is left out of the package.
if ! log=$("${CMAKE:-cmake}" --install "$build" --prefix "$scratch/installed/usr" 2>&1); then
  printf '%s\ncmake --install failed\n' "$log" >&2
  exit 1
fi
(cd "$scratch/installed" && find . ! -type d | sort) >"$scratch/installed.list"
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sort >"$scratch/packaged.list"
diff -u "$scratch/installed.list" "$scratch/packaged.list" >&2 ||
  fail "the package holds other files than an install (- installed only, + packaged only)"
grep -q '^\./usr/bin/termel-tool$' "$scratch/packaged.list" || fail "termel-tool is not in /usr/bin"

dpkg-deb -x "$deb" "$scratch/root"
root=$scratch/root/usr
for page in "$root"/share/man/man1/*; do
  gzip -t "$page" 2>/dev/null || fail "manual page $(basename "$page") is not gzipped"
  zcat "$page" 2>/dev/null | grep -q '^\.TH ' || fail "$(basename "$page") is no manual page"
done
[ -d "$root/share/man/man1" ] || fail "the package has no manual pages"

# The programs report the version packaged; the window program must do so without a
# display, as it would from a package script or a terminal without X.
for program in "$root"/bin/*; do
  name=$(basename "$program")
  got=$(env -u DISPLAY -u WAYLAND_DISPLAY "$program" --version 2>&1)
  [ "$got" = "$name $version" ] || fail "$name --version printed '$got'"
done

if [ -e "$root/bin/termel" ]; then
  [[ $depends == *libwxgtk3.2* ]] || fail "Depends does not name wxWidgets: '$depends'"
  [[ $depends == *libspeechd2* ]] || fail "Depends does not name libspeechd: '$depends'"
  [[ $(field Recommends) == *speech-dispatcher* ]] ||
    fail "Recommends does not name the speech service: '$(field Recommends)'"
  appstreamcli validate-tree --no-net "$scratch/root" >&2 ||
    fail "appstreamcli does not accept the installed metadata, desktop entry and icon"
fi

finish
