#!/usr/bin/env bash
# A hundred Right presses arriving at once, while paused, seek 100 s: every
# key counts, however many come in one frame.
source "$(dirname "$0")/show_in_tmux.inc"
prepare_work_dir
start_show 100 56
wait_until_playing
send_key Space
wait_until_paused
before=$(title_time)
keys=()
for _ in $(seq 100); do keys+=(Right); done
tmux -L "$socket" send-keys -t "$session" "${keys[@]}"
# Paused, the title moves only by the seeks: wait until it has settled.
wait_for_title_past "$before"
wait_until_paused
after=$(title_time)
[ $((after - before)) = 100000 ] ||
  fail "100 Right presses moved the position by $((after - before)) ms, not 100000"
send_key Escape
status=$(wait_for_exit 20)
[ "$status" = 0 ] || fail "exit status $status"
echo "key burst passed: $before -> $after ms"
