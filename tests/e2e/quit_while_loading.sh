#!/usr/bin/env bash
# Ctrl+C and SIGTERM while the show is still loading end it at once with
# status 0, before any console is drawn. The load is made to hang: the first
# mesh is a pipe nobody writes to, as a file on a hung network folder would.
source "$(dirname "$0")/show_in_tmux.inc"
prepare_work_dir
rm "$work/asteroid1.obj"
mkfifo "$work/asteroid1.obj"
base_socket=$socket

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }

# The quit must come while the show waits in the open of the pipe, not
# before it gets there: the kernel says where the process sleeps.
opening_the_pipe() {
  local pid
  pid=$(show_pid) || return 1
  [ -n "$pid" ] && [ "$(cat "/proc/$pid/wchan" 2>/dev/null)" = wait_for_partner ]
}

# quit_while_loading HOW (C-c or TERM): sets $status and $elapsed (ms).
quit_while_loading() {
  tmux -L "$socket" kill-server 2>/dev/null || true
  rm -f "$work/status" "$work/stty.txt"
  socket="$base_socket-$1"
  start_show 100 56
  wait_until 90 "$1: the show blocking in the mesh pipe" opening_the_pipe
  local start
  start=$(now_ms)
  if [ "$1" = C-c ]; then send_key C-c; else kill -"$1" "$(show_pid)"; fi
  waited=0
  until [ -s "$work/status" ]; do
    sleep 0.05
    waited=$((waited + 1))
    [ $waited -le 200 ] || fail "$1: the show did not end within 10 s of the quit"
  done
  elapsed=$(( $(now_ms) - start ))
  status=$(cat "$work/status")
}

for how in C-c TERM; do
  quit_while_loading "$how"
  [ "$status" = 0 ] || fail "$how: exit status $status"
  # Four dots: it stopped while making the effects (the terminal may echo ^C).
  pane_text | grep -Eq '^Loading\.{4}(\^C)?$' || fail "$how: loading went on: $(pane_text | head -n 3)"
  ! grep -q "Couldn't initialize" "$work/stderr.txt" || fail "$how: a console was attempted"
  expect_terminal_restored "$how"
  echo "$how while loading: ended after $elapsed ms"
done
