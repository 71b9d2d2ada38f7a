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
next_server term
start_show 100 56
term_ends_show
next_server frozen
start_show 100 56
wait_until_playing
quit_while_frozen "SIGTERM, the terminal frozen"
echo "quit signals passed"
