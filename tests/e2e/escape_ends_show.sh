#!/usr/bin/env bash
# The show in a terminal: the picture appears, the title counts the song
# position, Escape ends it with status 0 and the cursor back.
source "$(dirname "$0")/show_in_tmux.inc"
prepare_work_dir
start_show 100 56
wait_until_playing
first=$(title_time)
wait_for_title_past "$first"
second=$(title_time)
# The opening titles and the noise overlay put characters on screen; the
# first frames may still be on their way to the pane.
enough_on_screen() { [ "$(pane_text | head -n 50 | tr -d ' \n' | wc -c)" -gt 200 ]; }
wait_until 20 "a picture on screen" enough_on_screen
[ "$(cursor_visible)" = 0 ] || fail "the cursor is visible during the show"
send_key Escape
status=$(wait_for_exit 20)
[ "$status" = 0 ] || fail "exit status $status"
[ "$(cursor_visible)" = 1 ] || fail "the cursor was not restored"
echo "escape test passed at time $second ms"
