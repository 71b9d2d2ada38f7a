#!/usr/bin/env bash
# The truecolor picture in a terminal with 24-bit colour: the pane holds
# 24-bit colour cells in the fitted area, the title counts the song
# position, a resize fits the picture again, Space (the picture held still
# while paused), Right and Left reach the engine, and Escape ends the show with
# status 0 and the terminal exactly as it was.
source "$(dirname "$0")/show_in_tmux.inc"
prepare_work_dir
show_args="--display truecolor"
start_show 100 56
tmux -L "$socket" set-option -sa terminal-overrides ',*:RGB' >/dev/null
tmux -L "$socket" set-option -sa terminal-features ',*:RGB' >/dev/null

sleep 4
first=$(title_time)
sleep 1.5
second=$(title_time)
[ "$second" -gt "$first" ] || fail "title time did not grow ($first then $second)"
[ "$(alternate_screen)" = 1 ] || fail "the picture is not on the alternate screen"
[ "$(cursor_visible)" = 0 ] || fail "the cursor is visible during the show"
# 100 x 56 fits a picture of 100 x 31 cells (16 columns to 5 rows).
rows=$(coloured_rows)
[ "$rows" = 31 ] || fail "24-bit colour on $rows rows, not the 31 of a 100 x 56 pane"
[ "$(coloured_rows_from)" = 12 ] || fail "the picture does not start at row 12 of 56"

tmux -L "$socket" resize-window -t "$session" -x 61 -y 40
sleep 2
# 61 x 40: 61 x 19 cells, centred from row 10.
rows=$(coloured_rows)
[ "$rows" = 19 ] || fail "after the resize 24-bit colour on $rows rows, not 19"
[ "$(coloured_rows_from)" = 10 ] || fail "after the resize the picture does not start at row 10"
# Down to one row: no crash, still one picture row.
tmux -L "$socket" resize-window -t "$session" -x 3 -y 1
sleep 1
[ "$(coloured_rows)" = 1 ] || fail "a 3 x 1 window shows no picture row"
tmux -L "$socket" resize-window -t "$session" -x 100 -y 56
sleep 1
[ "$(coloured_rows)" = 31 ] || fail "back at 100 x 56 the picture is not 31 rows again"

# The engine's keys come through the raw input: Space pauses and resumes,
# Left seeks back a second a press. Paused in the noise scene the picture
# holds still, cell for cell; a seek while paused draws the new position
# once, and then that holds.
picture() { tmux -L "$socket" capture-pane -e -p -t "$session"; }
send_key Space
sleep 0.5
paused=$(title_time)
held=$(picture)
sleep 1
[ "$(title_time)" = "$paused" ] || fail "Space did not pause the show"
[ "$(picture)" = "$held" ] || fail "the paused picture kept changing"
send_key Right
wait_for_title_past $((paused + 999))
sleep 0.5
seeked=$(picture)
[ "$seeked" != "$held" ] || fail "a seek while paused did not draw the new position"
sleep 1
[ "$(picture)" = "$seeked" ] || fail "the picture after a seek while paused kept changing"
sought=$(title_time)
send_key Space
wait_for_title_past "$sought"
[ "$(title_time)" -lt $((sought + 5000)) ] || fail "the show did not go on from where it was paused"
send_key Left
send_key Left
send_key Left
sleep 0.5
back=$(title_time)
[ "$back" -lt "$sought" ] || fail "three Left presses did not seek back ($sought then $back)"

send_key Escape
status=$(wait_for_exit 20)
[ "$status" = 0 ] || fail "exit status $status"
expect_terminal_restored "Escape"
cmp -s "$work/stty-before.txt" "$work/stty-after.txt" || fail "the tty modes differ after the show"
echo "truecolor test passed at time $second ms"
