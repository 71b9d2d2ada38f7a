#!/usr/bin/env bash
# The show under wine in a tmux pane of 100 x 60, as a Windows console draws
# it on a terminal: libcaca's 80 x 50 character picture with its 16 colours,
# the same cells as the Linux libcaca picture of the same frame (the first,
# with one frame a second), the title "time = N" moving on, Space and Right
# reaching the engine, Escape and Ctrl+C ending it with status 0 and the
# pane's tty modes and cursor as they were, the truecolor cells declined
# where the console prints VT sequences as text, and closing the pane
# leaving no process of it behind. The console's state put back is checked from inside
# (windows_tests.exe's case, which needs the console the pane gives it).
# Usage: console_in_pane.sh SHOW_EXE NATIVE_BUILD SHOW_DIR
exe=$(realpath "${1:?show exe}")
tests_exe=$(dirname "$exe")/windows_tests.exe
native=$(cd "${2:?native build}" && pwd)
source "$(dirname "$0")/../e2e/show_in_tmux.inc" wine "${3:?show dir}"
prepare_work_dir
show_env="WINEPREFIX=${WINEPREFIX:?} WINEDEBUG=-all"
winpath() { local p=${1//\//\\}; echo "Z:$p"; }
in_pane() { start_show 100 60 "'$exe'" --data "'$(winpath "$work")'" --mute "$@"; }
playing() { [ -n "$(title_time_or_empty)" ]; }
# This script's own command line names the .exe too.
show_process_left() { pgrep -af "$exe" | grep -v "${BASH_SOURCE[0]##*/}" | grep -q .; }

in_pane --fps 1 --start 130000
wait_until 90 "the show playing (title 'time = N')" playing
first=$(title_time)
tmux -L "$socket" capture-pane -e -p -t "$session" >"$work/pane.ans"
"$native/vesper-capture" --data "$show_dir" --at "$first" --warmup 0 --ansi --out "$work/linux" --quiet
python3 "$(dirname "$0")/console_cells.py" "$work/pane.ans" "$work/linux/chars-$first.ans" ||
  fail "the pane's picture at $first ms is not Linux libcaca's"
[ "$(cursor_visible)" = 0 ] || fail "the cursor is visible during the show"
wait_for_title_past "$first"
# One frame a second: the keys are read at the next frame.
send_key Space
sleep 1.5
paused=$(title_time)
sleep 2.5
# The clock stops where the key was read, a millisecond or so after the
# frame before.
now=$(title_time)
[ $((now - paused)) -lt 100 ] || fail "Space did not pause the show ($paused, then $now)"
send_key Right
wait_for_title_past $((paused + 999)) 10
send_key Escape
status=$(wait_for_exit 20)
[ "$status" = 0 ] || fail "Escape: exit status $status"
cmp -s "$work/stty-before.txt" "$work/stty-after.txt" || fail "Escape: the tty modes differ"
[ "$(cursor_visible)" = 1 ] || fail "Escape: the cursor was not shown again"

# wine 8's console takes the VT mode but prints the sequences as text (and
# passes them on): the truecolor cells decline, saying why, and libcaca's
# picture plays.
next_server ctrl-c
in_pane --start 100000 --display truecolor
wait_until 90 "the show playing again" playing
grep -q 'truecolor picture needs a console that reads VT sequences.*libcaca picture instead' \
  "$work/stderr.txt" || fail "no word of the truecolor picture declining: $(cat "$work/stderr.txt")"
send_key C-c
status=$(wait_for_exit 20)
[ "$status" = 0 ] || fail "Ctrl+C: exit status $status"
cmp -s "$work/stty-before.txt" "$work/stty-after.txt" || fail "Ctrl+C: the tty modes differ"

next_server closed
in_pane --start 100000
wait_until 90 "the show playing a third time" playing
tmux -L "$socket" kill-server
wait_until 10 "the show ending with its pane" eval '! show_process_left'
next_server state
show_args="--gtest_filter=WindowsConsoleState.* --gtest_color=no"
start_show 100 60 "'$tests_exe'"
status=$(wait_for_exit 60)
[ "$status" = 0 ] || fail "the console's state was not put back (exit status $status)"
pane_text | grep -q '^\[  PASSED  \] 1 test' || fail "the console's state case did not run: $(pane_text)"
echo "the show plays in a Windows console under wine: picture at $first ms as on Linux"
