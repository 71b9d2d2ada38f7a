#!/usr/bin/env bash
# The show in a terminal: the picture appears, the title counts the song
# position, Escape ends it with status 0 and the cursor back.
source "$(dirname "$0")/show_in_tmux.inc"
prepare_work_dir
start_show 100 56
sleep 4
first=$(title_time)
sleep 1.5
second=$(title_time)
[ "$second" -gt "$first" ] || fail "title time did not grow ($first then $second)"
# The opening titles and the noise overlay put characters on screen.
visible=$(pane_text | head -n 50 | tr -d ' \n' | wc -c)
[ "$visible" -gt 200 ] || fail "the pane shows almost nothing ($visible characters)"
[ "$(cursor_visible)" = 0 ] || fail "the cursor is visible during the show"
send_key Escape
status=$(wait_for_exit 20)
[ "$status" = 0 ] || fail "exit status $status"
[ "$(cursor_visible)" = 1 ] || fail "the cursor was not restored"
echo "escape test passed at time $second ms"
