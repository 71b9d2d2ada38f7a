#!/usr/bin/env bash
# The truecolor picture, chosen by --display auto where COLORTERM says the
# terminal has 24-bit colour, ends through its normal shutdown on Ctrl+C
# and on SIGTERM: status 0, the screen, cursor and tty modes as they were;
# on SIGTERM even while the terminal has stopped reading. With TMUX unset,
# as over ssh from a pane, auto asks the terminal, whose graphics question
# tmux takes for a pane title: the title before must come back all the same.
source "$(dirname "$0")/show_in_tmux.inc"
prepare_work_dir
show_env="-u TMUX $show_env COLORTERM=truecolor"
show_args="--display auto"
start_show 80 30
tmux -L "$socket" select-pane -t "$session" -T "the title before the show"
wait_until_playing
[ "$(coloured_rows)" -gt 0 ] || fail "--display auto with COLORTERM=truecolor shows no 24-bit colour"
send_key C-c
status=$(wait_for_exit 20)
[ "$status" = 0 ] || fail "Ctrl+C: exit status $status"
expect_terminal_restored Ctrl+C
cmp -s "$work/stty-before.txt" "$work/stty-after.txt" || fail "Ctrl+C: the tty modes differ"
[ "$(pane_title)" = "the title before the show" ] ||
  fail "Ctrl+C: the pane is titled '$(pane_title)'"
next_server term
show_args="--display truecolor"
start_show 80 30
term_ends_show
cmp -s "$work/stty-before.txt" "$work/stty-after.txt" || fail "SIGTERM: the tty modes differ"
next_server frozen
start_show 80 30
wait_until_playing
quit_while_frozen "SIGTERM, the terminal frozen"
echo "truecolor quit test passed"
