#!/usr/bin/env bash
# The truecolor picture, chosen by --display auto where COLORTERM says the
# terminal has 24-bit colour, ends through its normal shutdown on Ctrl+C
# and on SIGTERM: status 0, the screen, cursor and tty modes as they were.
source "$(dirname "$0")/show_in_tmux.inc"
prepare_work_dir
show_env="$show_env COLORTERM=truecolor"
show_args="--display auto"
start_show 80 30
sleep 3
[ "$(coloured_rows)" -gt 0 ] || fail "--display auto with COLORTERM=truecolor shows no 24-bit colour"
send_key C-c
status=$(wait_for_exit 20)
[ "$status" = 0 ] || fail "Ctrl+C: exit status $status"
expect_terminal_restored Ctrl+C
cmp -s "$work/stty-before.txt" "$work/stty-after.txt" || fail "Ctrl+C: the tty modes differ"
tmux -L "$socket" kill-server
rm -f "$work/status"
socket="$socket-term"  # a fresh server: the old one may still be going away
show_args="--display truecolor"
start_show 80 30
sleep 3
pid=$(show_pid)
[ -n "$pid" ] || fail "no show process to signal"
kill -TERM "$pid"
status=$(wait_for_exit 20)
[ "$status" = 0 ] || fail "SIGTERM: exit status $status"
expect_terminal_restored SIGTERM
cmp -s "$work/stty-before.txt" "$work/stty-after.txt" || fail "SIGTERM: the tty modes differ"
echo "truecolor quit test passed"
