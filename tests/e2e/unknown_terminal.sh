#!/usr/bin/env bash
# A terminal type without a terminfo entry is a console that does not start:
# the show says so and ends with status 0, the terminal untouched.
source "$(dirname "$0")/show_in_tmux.inc"
prepare_work_dir
show_env="CACA_DRIVER=ncurses TERM=nosuchterm"
start_show 100 56
status=$(wait_for_exit 60)
[ "$status" = 0 ] || fail "exit status $status: $(cat "$work/stderr.txt")"
grep -q "Couldn't initialize LibCaCa" "$work/stderr.txt" ||
  fail "no console failure message: $(cat "$work/stderr.txt")"
grep -q 'nosuchterm' "$work/stderr.txt" || fail "the unknown type is not named"
expect_terminal_restored "unknown TERM"
echo "unknown terminal passed"
