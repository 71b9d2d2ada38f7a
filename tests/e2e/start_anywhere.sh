#!/usr/bin/env bash
# The show started from a folder that has nothing to do with it finds its
# own content, plays it (no placeholder, no missing song), begins where
# --start says, and leaves that folder as it was.
source "$(dirname "$0")/show_in_tmux.inc"
run_dir=$(mktemp -d /tmp/vg-e2e-elsewhere.XXXXXX)
trap 'cleanup; rm -rf "$run_dir"' EXIT
start_show 100 56 --start 2:00 --mute
sleep 4
first=$(title_time)
[ "$first" -ge 120000 ] && [ "$first" -lt 135000 ] || fail "--start 2:00 shows time $first"
sleep 1.5
second=$(title_time)
[ "$second" -gt "$first" ] || fail "title time did not grow ($first then $second)"
visible=$(pane_text | head -n 50 | tr -d ' \n' | wc -c)
[ "$visible" -gt 200 ] || fail "the pane shows almost nothing ($visible characters)"
send_key Escape
status=$(wait_for_exit 20)
[ "$status" = 0 ] || fail "exit status $status"
if grep -E "Cannot|placeholder|no show content" "$work/stderr.txt"; then
  fail "the show did not find all of its content"
fi
[ -z "$(ls -A "$run_dir")" ] || fail "the show wrote into the folder it was started from: $(ls -A "$run_dir")"

# In milliseconds too, with the song playing (SDL's silent device stands in
# for a sound card), and seeking on from there.
tmux -L "$socket" kill-server
rm -f "$work/status"
socket="$socket-ms"
export SDL_AUDIODRIVER=dummy
start_show 100 56 --start 300000
sleep 3
send_key Right
send_key Right
sleep 1
late=$(title_time)
[ "$late" -ge 302000 ] && [ "$late" -lt 315000 ] || fail "--start 300000 and two seeks show time $late"
send_key Escape
status=$(wait_for_exit 20)
[ "$status" = 0 ] || fail "exit status $status"
echo "start anywhere passed at $first ms and $late ms"
