#!/usr/bin/env bash
# Ctrl+C and SIGTERM end the show through its normal shutdown: status 0,
# cursor restored, terminal usable.
source "$(dirname "$0")/show_in_tmux.inc"
prepare_work_dir
start_show 100 56
sleep 3
send_key C-c
status=$(wait_for_exit 20)
[ "$status" = 0 ] || fail "Ctrl+C: exit status $status"
[ "$(cursor_visible)" = 1 ] || fail "Ctrl+C: the cursor was not restored"
tmux -L "$socket" kill-server
rm -f "$work/status"
socket="$socket-term"  # a fresh server: the old one may still be going away
start_show 100 56
sleep 3
pane_pid=$(tmux -L "$socket" display -p -t "$session" '#{pane_pid}')
show_pid=$(pgrep -P "$pane_pid" -f "$binary" | head -n 1)
[ -n "$show_pid" ] || fail "no show process to signal"
kill -TERM "$show_pid"
status=$(wait_for_exit 20)
[ "$status" = 0 ] || fail "SIGTERM: exit status $status"
echo "quit signals passed"
