#!/usr/bin/env bash
# The whole show, untouched: it ends by itself after 333000 ms with status 0.
# At 60 frames a second, as a display would show it: uncapped, the show and
# tmux would take one and a half cores for the 333 s that the builds beside
# this test need. The shorter tests run the uncapped loop.
source "$(dirname "$0")/show_in_tmux.inc"
prepare_work_dir
show_args="--fps 60"
started=$(date +%s)
start_show 100 56
status=$(wait_for_exit 420)
elapsed=$(( $(date +%s) - started ))
[ "$status" = 0 ] || fail "exit status $status"
[ "$elapsed" -ge 330 ] || fail "ended after only $elapsed s"
[ "$(cursor_visible)" = 1 ] || fail "the cursor was not restored"
echo "full show ended by itself after $elapsed s"
