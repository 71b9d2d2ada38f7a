#!/usr/bin/env bash
# SIGQUIT ends the show like SIGTERM (status 0); a signal that cannot end
# normally still gives the terminal back before the process dies by it.
source "$(dirname "$0")/show_in_tmux.inc"
prepare_work_dir
base_socket=$socket

# signal_show SIGNAL: a fresh show, signalled once it plays; sets $status.
signal_show() {
  tmux -L "$socket" kill-server 2>/dev/null || true
  rm -f "$work/status" "$work/stty.txt"
  socket="$base_socket-$1"  # a fresh server: the old one may still be going away
  start_show 100 56
  wait_until_playing
  local pid
  pid=$(show_pid)
  [ -n "$pid" ] || fail "$1: no show process to signal"
  kill -"$1" "$pid"
  status=$(wait_for_exit 20)
}

signal_show QUIT
[ "$status" = 0 ] || fail "SIGQUIT: exit status $status"
expect_terminal_restored SIGQUIT

for signal in SEGV ABRT USR1; do
  signal_show "$signal"
  expected=$((128 + $(kill -l "$signal")))
  [ "$status" = "$expected" ] || fail "SIG$signal: exit status $status, not $expected"
  expect_terminal_restored "SIG$signal"
done
echo "fatal signals passed"
