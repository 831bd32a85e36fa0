#!/usr/bin/env bash
# CPU time of "termel-tool export" of a card file to a text list against GDAL's
# "ogr2ogr -f CSV" of the same file (linked as .dbf), side by side, the median of
# several runs each. Goal: the export takes less CPU than ogr2ogr. Skips with a word
# when GDAL is not installed (gdal-bin, which scripts/setup installs).
#
#   bench/export_vs_gdal.sh [TERMEL_TOOL [CARDS [RUNS]]]
#
# TERMEL_TOOL defaults to build/tools/termel-tool, CARDS to 204497, RUNS to 7.
set -euo pipefail

tool=${1:-build/tools/termel-tool}
cards=${2:-204497}
runs=${3:-7}

if ! command -v ogr2ogr >/dev/null; then
  echo "export_vs_gdal: skipped, ogr2ogr is not installed (apt-get install gdal-bin)"
  exit 0
fi
[ -x "$tool" ] || { echo "export_vs_gdal: $tool is not built" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/termel-export-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT

# Dictionary-like pairs: German terms with umlauts and ß, English translations.
awk -v n="$cards" 'BEGIN {
  split("Stra\303\237e Fu\303\237 M\303\274he \303\226l B\303\244r Gr\303\266\303\237e Tisch Haus", de, " ")
  split("street foot effort oil bear size table house", en, " ")
  for (i = 0; i < n; i++) printf "%s %d;%s %d\n", de[i % 8 + 1], i, en[i % 8 + 1], i
}' >"$work/words.txt"
"$tool" import "$work/box.trm" "$work/words.txt" >/dev/null
ln -s box.trm "$work/box.dbf"

# The CPU seconds (user + system) of one run of the command, its output thrown away.
cpu_of() {
  python3 - "$@" <<'EOF'
import resource, subprocess, sys
subprocess.run(sys.argv[1:], check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
usage = resource.getrusage(resource.RUSAGE_CHILDREN)
print(f"{usage.ru_utime + usage.ru_stime:.4f}")
EOF
}

# The median CPU seconds of RUNS runs; out is removed before every run.
median_of() {
  local out=$1
  shift
  for _ in $(seq "$runs"); do
    rm -rf "$out"
    cpu_of "$@"
  done | sort -n | awk '{ t[NR] = $1 } END { print t[int((NR + 1) / 2)] }'
}

termel=$(median_of "$work/words-out.txt" "$tool" export "$work/box.trm" "$work/words-out.txt")
gdal=$(median_of "$work/gdal.csv" ogr2ogr -f CSV "$work/gdal.csv" "$work/box.dbf")
size=$(stat -c %s "$work/box.trm")

awk -v t="$termel" -v g="$gdal" -v n="$cards" -v s="$size" 'BEGIN {
  printf "export of %d cards (%.1f MB), CPU seconds, median of the runs:\n", n, s / 1048576
  printf "  termel-tool export      %8.4f\n", t
  printf "  ogr2ogr -f CSV          %8.4f\n", g
  r = g > 0 ? t / g : 0
  printf "export / ogr2ogr                            %6.2f  (below 1.0)%s\n", r,
         r < 1 ? "" : "  EXCEEDED"
}'
