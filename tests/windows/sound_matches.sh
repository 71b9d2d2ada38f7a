#!/usr/bin/env bash
# The song as the Windows show plays it, under wine, against the Linux
# show: both play the last two seconds through SDL's disk driver, which
# writes the 32-bit float samples it is handed to a file, and from the first
# sample of sound on they must be the same song (wine's may start a silent
# buffer later; the float arithmetic of the two C libraries may differ in
# the last bits, far below hearing). Without a sound device the show runs
# silent on its steady clock, says so, and still ends with status 0.
# Usage: sound_matches.sh SHOW_EXE NATIVE_BUILD SHOW_DIR
set -euo pipefail
exe=$(realpath "${1:?show exe}")
native=$(cd "${2:?native build}" && pwd)
show=$(cd "${3:?content folder}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export WINEDEBUG=-all
args=(--driver null --start 331000)
failed=0

SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="Z:${work//\//\\}\\windows.raw" \
  wine "$exe" --data "Z:${show//\//\\}" "${args[@]}" >/dev/null 2>&1
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/linux.raw" \
  "$native/vesper-glint" --data "$show" "${args[@]}" >/dev/null 2>&1
python3 - "$work/windows.raw" "$work/linux.raw" <<'PY' || failed=1
import array, sys
windows, linux = (array.array("f", open(name, "rb").read()) for name in sys.argv[1:])
def sound_from(samples):
    return next(i for i, value in enumerate(samples) if value != 0.0)
w, l = windows[sound_from(windows):], linux[sound_from(linux):]
count = min(len(w), len(l))
differences = [abs(a - b) for a, b in zip(w[:count], l[:count])]
same = sum(1 for d in differences if d == 0.0)
print(f"{count} samples compared from the first sound on: {same} the same, "
      f"the largest difference {max(differences):.3g}")
# 1.5 s of stereo at 44.1 kHz at least; 1e-6 is -120 dB.
sys.exit(0 if count >= 132300 and max(differences) < 1e-6 else 1)
PY

status=0
SDL_AUDIODRIVER=no-such-driver wine "$exe" --data "Z:${show//\//\\}" "${args[@]}" >/dev/null \
  2>"$work/err.txt" || status=$?
[ "$status" -eq 0 ] || { echo "without a sound device the show ended with $status"; failed=1; }
grep -q 'the show runs silent on a steady clock' "$work/err.txt" ||
  { echo "without a sound device nothing said it: $(cat "$work/err.txt")"; failed=1; }
[ "$failed" -eq 0 ] && echo "the Windows show plays the song as the Linux one does"
exit "$failed"
