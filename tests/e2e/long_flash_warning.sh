#!/usr/bin/env bash
# The show's flash warning names every scene that the statistics find
# flashing more than three times in a second, and no other: the capture
# tool measures the whole show at 60 frames a second, as the warning was
# written from, so an effect that comes to flash more (or less) fails here.
set -euo pipefail
show=$1 show_dir=$2 build=$3
work=$(mktemp -d /tmp/vg-flashes.XXXXXX)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

"$build/vesper-capture" --data "$show_dir" --display truecolor --quiet --stats "$work/stats.csv" \
  > "$work/table.txt" || fail "the capture failed"
warning=$("$show" --help | tr '\n' ' ' | tr -s ' ' | sed -n 's/.*\(Warning: flashing light\.\)/\1/p')
[ -n "$warning" ] || fail "no flash warning in the help"

# scene and failing seconds per block, the most for a scene that has several
# (the columns before the spans, which may hold commas).
awk -F, 'NR == 1 { for (i = 1; i <= NF; ++i) column[$i] = i; next }
         /^$/ { exit }
         { s = $column["scene"]; n = $column["flash_failing_seconds"]; if (n > most[s]) most[s] = n; seen[s] = 1 }
         END { for (s in seen) print s "\t" most[s] + 0 }' "$work/stats.csv" > "$work/scenes.tsv"
[ -s "$work/scenes.tsv" ] || fail "no scenes in the statistics"
while IFS=$'\t' read -r scene seconds; do
  named=no
  case "$warning" in *" $scene ("*) named=yes ;; esac
  if [ "$seconds" -gt 0 ] && [ "$named" = no ]; then
    fail "$scene flashes in $seconds seconds but the warning does not name it: $warning"
  fi
  if [ "$seconds" = 0 ] && [ "$named" = yes ]; then
    fail "the warning names $scene, which does not flash: $warning"
  fi
done < "$work/scenes.tsv"
echo "the warning names the flashing scenes: $(awk -F'\t' '$2 > 0 { print $1 }' "$work/scenes.tsv" | sort | tr '\n' ' ')"
