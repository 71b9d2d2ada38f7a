#!/usr/bin/env bash
# The Windows capture tool, run under wine, against the Linux one: frames
# (the frame buffer as PNG) and the character picture (libcaca's dither as
# UTF-8 text) at two positions in each of the twelve scenes, a third and
# two thirds in, after 3 s of warm-up each (the web page's test takes the
# same positions); and the truecolor cells of a 100 x 60 terminal at the
# same positions (as ANSI text). Both read the same content, the native
# generator's.
# Every pair must be the same bytes; the differing pixels of a frame that is
# not are counted and printed before the test fails.
# Usage: capture_matches.sh NATIVE_BUILD WINDOWS_BUILD SHOW_DIR
set -euo pipefail
native=$(cd "${1:?native build}" && pwd)
windows=$(cd "${2:?windows build}" && pwd)
show=$(cd "${3:?content folder}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

. "$(dirname "$0")/../support/scene_positions.sh"
outputs=(--at "$list" --warmup 3000 --frames --utf8 --quiet)

"$native/vesper-capture" --data "$show" "${outputs[@]}" --out "$work/linux"
# From another folder than the program's, with the content named as a
# Windows path (Z: is wine's drive for /).
(cd "$work" && WINEDEBUG=-all wine "$windows/vesper-capture.exe" --data "Z:${show//\//\\}" "${outputs[@]}" \
  --out windows)

failed=0
for ms in "${positions[@]}"; do
  name=$(printf %06d "$ms")
  frame=frame-$name.png chars=chars-$name.txt
  for f in "$frame" "$chars"; do
    [ -f "$work/windows/$f" ] || { echo "$ms: no $f from the Windows capture"; failed=1; continue 2; }
  done
  if cmp -s "$work/linux/$frame" "$work/windows/$frame" && cmp -s "$work/linux/$chars" "$work/windows/$chars"; then
    echo "$ms: the same frame and characters"
    continue
  fi
  pixels=$(compare -metric AE "$work/linux/$frame" "$work/windows/$frame" null: 2>&1 || true)
  cells=$(cmp -l "$work/linux/$chars" "$work/windows/$chars" 2>/dev/null | wc -l || true)
  echo "$ms: $pixels pixels and $cells bytes of the character picture differ"
  failed=1
done
cells=(--display truecolor --terminal 100x60 --at "$list" --warmup 3000 --ansi --quiet)
"$native/vesper-capture" --data "$show" "${cells[@]}" --out "$work/linux-cells"
(cd "$work" && WINEDEBUG=-all wine "$windows/vesper-capture.exe" --data "Z:${show//\//\\}" "${cells[@]}" \
  --out windows-cells)
made=$(find "$work/linux-cells" -name '*.ans' | wc -l)
[ "$made" -eq "${#positions[@]}" ] || { echo "the Linux capture made $made truecolor pictures"; failed=1; }
for f in "$work"/linux-cells/*.ans; do
  cmp -s "$f" "$work/windows-cells/${f##*/}" || { echo "${f##*/}: the truecolor cells differ"; failed=1; }
done
[ "$failed" -eq 0 ] && echo "all ${#positions[@]} positions are the same on Windows and Linux, truecolor cells too"
exit "$failed"
