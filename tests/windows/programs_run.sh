#!/usr/bin/env bash
# The Windows zip as a user gets it, under wine: unpacked into a folder whose
# name has a space and a letter beyond ASCII, its programs started from
# another folder. They find their
# content beside themselves, the show plays its last half second (libcaca's
# null driver, no sound) and writes nothing where it was started, a named
# folder without content is refused, and the capture tool draws the frame the
# Linux one draws.
# Usage: programs_run.sh ZIP NATIVE_BUILD
set -euo pipefail
zip=$(realpath "${1:?zip}")
native=$(cd "${2:?native build}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export WINEDEBUG=-all
unset VESPER_GLINT_DATA

home="$work/My J$(printf '\xc3\xa4')rvi"
mkdir -p "$home" "$work/elsewhere"
(cd "$home" && unzip -q "$zip")
folder=$(find "$home" -mindepth 1 -maxdepth 1 -type d)
winpath() { local p=${1//\//\\}; echo "Z:$p"; }
failed=0
check() { if "$@"; then :; else echo "failed: $*"; failed=1; fi; }

cd "$work/elsewhere"
# Windows ends its lines with CR LF.
check test "$(wine "$folder/vesper-glint.exe" --version | tr -d '\r')" = "vesper-glint 1.0.0"

status=0
wine "$folder/vesper-glint.exe" --mute --driver null --start 332500 >out.txt 2>err.txt || status=$?
check test "$status" -eq 0
check grep -q '^Loading' out.txt
rm out.txt err.txt
check test -z "$(ls -A .)"

status=0
wine "$folder/vesper-glint.exe" --data "$(winpath "$work/elsewhere")" >/dev/null 2>err.txt || status=$?
check test "$status" -eq 1
check grep -q 'no show content' err.txt
rm err.txt

out="$home/frames"
wine "$folder/vesper-capture.exe" --at 165000 --warmup 3000 --frames --out "$(winpath "$out")" --quiet
"$native/vesper-capture" --data "$native/show" --at 165000 --warmup 3000 --frames --out "$work/linux" --quiet
check cmp "$out/frame-165000.png" "$work/linux/frame-165000.png"

status=0
wine "$folder/vesper-capture.exe" --start 0 --end 1000 --video "$(winpath "$work/v.mp4")" >/dev/null 2>err.txt || status=$?
check test "$status" -eq 2
check grep -q 'does not record video' err.txt

[ "$failed" -eq 0 ] && echo "the Windows programs run from their zip"
exit "$failed"
