#!/usr/bin/env bash
# The show started from a folder that has nothing to do with it finds its
# own content, plays it (no placeholder, no missing song), begins where
# --start says, and leaves that folder as it was.
source "$(dirname "$0")/show_in_tmux.inc"
run_dir=$(mktemp -d /tmp/vg-e2e-elsewhere.XXXXXX)
trap 'cleanup; rm -rf "$run_dir"' EXIT
start_show 100 56 --start 2:00 --mute
wait_until_playing
first=$(title_time)
[ "$first" -ge 120000 ] && [ "$first" -lt 135000 ] || fail "--start 2:00 shows time $first"
wait_for_title_past "$first"
enough_on_screen() { [ "$(pane_text | head -n 50 | tr -d ' \n' | wc -c)" -gt 200 ]; }
wait_until 20 "a picture on screen" enough_on_screen
send_key Escape
status=$(wait_for_exit 20)
[ "$status" = 0 ] || fail "exit status $status"
if grep -E "Cannot|placeholder|no show content" "$work/stderr.txt"; then
  fail "the show did not find all of its content"
fi
[ -z "$(ls -A "$run_dir")" ] || fail "the show wrote into the folder it was started from: $(ls -A "$run_dir")"

# In milliseconds too, with the song playing (SDL's silent device stands in
# for a sound card), and seeking on from there: paused, so two seeks move
# the title by two seconds (the played position is counted in samples, so
# each seek may lose the millisecond truncated away).
next_server ms
export SDL_AUDIODRIVER=dummy
start_show 100 56 --start 300000
wait_until_playing
send_key Space
wait_until_paused
paused=$(title_time)
[ "$paused" -ge 300000 ] && [ "$paused" -lt 315000 ] || fail "--start 300000 shows time $paused"
send_key Right
send_key Right
wait_for_title_past $((paused + 1997))
wait_until_paused
late=$(title_time)
[ $((late - paused)) -ge 1998 ] && [ $((late - paused)) -le 2000 ] || fail "two seeks moved the position from $paused to $late"
send_key Escape
status=$(wait_for_exit 20)
[ "$status" = 0 ] || fail "exit status $status"
echo "start anywhere passed at $first ms and $late ms"
