#!/usr/bin/env bash
# Stop and resume from an interactive shell with job control, as a person
# does it: while the show is stopped the terminal is the shell's again
# (main screen, cursor, title, tty modes as before); `fg` brings the picture
# back where it was, without the time stopped, and Escape still ends it.
# Both pictures: the truecolor one stopped with Ctrl+Z and then SIGSTOP, the
# character one with SIGTSTP from outside.
source "$(dirname "$0")/show_in_tmux.inc"
prepare_work_dir

# A shell without line editing, so the tty modes it shows are the ones the
# show left, not a line editor's.
tmux -L "$socket" -f /dev/null new-session -d -s "$session" -x 100 -y 40 \
  "env PS1='$ ' bash --norc --noprofile --noediting -i"
tmux -L "$socket" set-option -t "$session" -g set-titles on >/dev/null
tty=$(tmux -L "$socket" display -p -t "$session" '#{pane_tty}')
shell_title=$(pane_title)
sleep 0.5
modes_before=$(stty -g -F "$tty")

type_line() { tmux -L "$socket" send-keys -t "$session" -l "$1"; tmux -L "$socket" send-keys -t "$session" Enter; }
on_main_screen() { [ "$(alternate_screen)" = 0 ]; }

# The shell has the terminal back as it was before the show.
expect_shell_has_terminal() {
  wait_until 10 "$1: the main screen back" on_main_screen
  [ "$(cursor_visible)" = 1 ] || fail "$1: the cursor is still hidden"
  [ "$(pane_title)" = "$shell_title" ] || fail "$1: the title is '$(pane_title)', not '$shell_title'"
  [ "$(stty -g -F "$tty")" = "$modes_before" ] || fail "$1: the tty modes differ: $(stty -a -F "$tty")"
}

# fg after a stop of about 3 s: the picture is back at the position where it
# stopped (the steady clock of --mute would have jumped by the time stopped)
# and goes on from there.
stop_for_a_while_then_fg() {
  local what=$1 stopped_at=$2 resumed_at
  sleep 3
  type_line fg
  wait_until_playing 10
  resumed_at=$(title_time)
  [ $((resumed_at - stopped_at)) -lt 1500 ] ||
    fail "$what: the show jumped from $stopped_at to $resumed_at ms over the stop"
  wait_for_title_past "$resumed_at" 10
}

end_with_escape() {
  send_key Escape
  wait_until 10 "$1: the show ending on Escape" on_main_screen
  type_line "echo \$? > '$work/status'"
  wait_until 10 "$1: the exit status" test -s "$work/status"
  [ "$(cat "$work/status")" = 0 ] || fail "$1: exit status $(cat "$work/status")"
  rm -f "$work/status"
  expect_shell_has_terminal "$1, after the end"
}

# The truecolor picture: Ctrl+Z, fg; SIGSTOP, fg; Escape.
type_line "$show_env '$binary' --data '$work' --mute --display truecolor"
wait_until_playing
at=$(title_time)
send_key C-z
expect_shell_has_terminal "Ctrl+Z"
stop_for_a_while_then_fg "Ctrl+Z" "$at"
pid=$(show_pid)
at=$(title_time)
kill -STOP "$pid"
stop_for_a_while_then_fg "SIGSTOP" "$at"
end_with_escape truecolor

# The character picture: SIGTSTP from another terminal, fg, Escape.
type_line "$show_env '$binary' --data '$work' --mute"
wait_until_playing
pid=$(show_pid)
at=$(title_time)
kill -TSTP "$pid"
expect_shell_has_terminal "SIGTSTP"
stop_for_a_while_then_fg "SIGTSTP" "$at"
end_with_escape "character picture"
echo "stop and resume passed"
