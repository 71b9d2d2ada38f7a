#!/usr/bin/env bash
# --help, --version and a bad option in a real terminal: printed and done,
# with the right status, and the console (its alternate screen) never opens.
source "$(dirname "$0")/show_in_tmux.inc"
run_dir=$(mktemp -d /tmp/vg-e2e-options.XXXXXX)
trap 'cleanup; rm -rf "$run_dir"' EXIT
tmux -L "$socket" -f /dev/null new-session -d -s "$session" -x 100 -y 56 \
  "until [ -e '$work/go' ]; do sleep 0.1; done; cd '$run_dir'; for option in --version --help --bogus '--start 7:77'; do
     CACA_DRIVER=ncurses TERM=xterm-256color '$binary' \$option; echo \"status=\$?\"; done; touch '$work/done'; sleep 600"
# The programs start only once everything they print is being recorded.
tmux -L "$socket" pipe-pane -o -t "$session" "cat >> '$work/raw'"
touch "$work/go"
wait_until 30 "the options finishing" test -e "$work/done"
# The recording lags behind the pane: wait for the last status in it.
four_statuses() { [ "$(grep -ao 'status=[0-9]*' "$work/raw" 2>/dev/null | wc -l)" -ge 4 ]; }
wait_until 10 "the last status reaching the recording" four_statuses
statuses=$(grep -ao 'status=[0-9]*' "$work/raw" | tr '\n' ' ')
[ "$statuses" = "status=0 status=0 status=2 status=2 " ] || fail "statuses: $statuses"
grep -aq "vesper-glint $(cat "$(dirname "$0")/../../CMakeLists.txt" | sed -n 's/^project(VesperGlint VERSION \([0-9.]*\).*/\1/p')" "$work/raw" ||
  fail "--version did not print the version"
grep -aq 'unknown option "--bogus"' "$work/raw" || fail "no reason for --bogus"
grep -aq "Try 'vesper-glint --help'" "$work/raw" || fail "no usage hint"
if grep -aq $'\e\[?1049h' "$work/raw"; then fail "the console opened"; fi
if grep -aq "Loading" "$work/raw"; then fail "the show started loading"; fi
[ -z "$(ls -A "$run_dir")" ] || fail "files appeared in the folder it was started from"
echo "options in a terminal passed"
