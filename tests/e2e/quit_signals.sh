#!/usr/bin/env bash
# Ctrl+C and SIGTERM end the show through its normal shutdown: status 0,
# cursor restored, terminal usable; SIGTERM does so even while the terminal
# has stopped reading (curses then waits in a write inside the frame loop).
source "$(dirname "$0")/show_in_tmux.inc"
prepare_work_dir
start_show 100 56
wait_until_playing
send_key C-c
status=$(wait_for_exit 20)
[ "$status" = 0 ] || fail "Ctrl+C: exit status $status"
expect_terminal_restored Ctrl+C
tmux -L "$socket" kill-server
rm -f "$work/status"
socket="$socket-term"  # a fresh server: the old one may still be going away
start_show 100 56
wait_until_playing
pid=$(show_pid)
[ -n "$pid" ] || fail "no show process to signal"
kill -TERM "$pid"
status=$(wait_for_exit 20)
[ "$status" = 0 ] || fail "SIGTERM: exit status $status"
expect_terminal_restored SIGTERM
tmux -L "$socket" kill-server
rm -f "$work/status"
socket="$socket-frozen"
start_show 100 56
wait_until_playing
quit_while_frozen "SIGTERM, the terminal frozen"
echo "quit signals passed"
