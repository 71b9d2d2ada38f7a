#!/usr/bin/env bash
# The pixel pictures in real terminals on a virtual X server: xterm as a
# VT340 with 256 colour registers and kitty on Mesa's software OpenGL.
#
# 1. --display auto's choice, asked by the show's own code: kitty in kitty,
#    sixel in xterm -ti vt340, libcaca and truecolor in a plain xterm
#    without and with COLORTERM.
# 2. The capture tool's frame at 2:45, its exact bytes for that terminal's
#    size (--bytes) written to the terminal: a screenshot shows the frame,
#    8 : 5 within 5 %, its luminance correlated with the frame's by at least
#    0.9.
# 3. The show itself (--display sixel in xterm, kitty in kitty, from 2:45,
#    muted): paused with Space a moment in, a screenshot shows an 8 : 5
#    picture that follows the capture's frame of the moment in the title;
#    Escape ends it with status 0 and the tty modes as they were. The live
#    frame cannot match a capture exactly: on every beat the show picks a
#    photo at random (and, paused on a beat, picks one every frame), and how
#    many random numbers came before depends on how many frames were drawn;
#    so the bar here is 0.5, the shapes' geometry, not the photos'.
#
# Every wait polls for what it waits for: a busy machine may take many
# seconds to start a terminal or load the show. The screenshots and frames
# stay in BUILD/x11-screens to be looked at.
set -euo pipefail

binary=$1
show_dir=$2
build=$3
capture=$build/vesper-capture
match=$build/picture_match
probe=$build/display_probe
work=$(mktemp -d /tmp/vg-x11.XXXXXX)
screens=$build/x11-screens
mkdir -p "$screens"
pids=()
xvfb_pid=
DISPLAY=${DISPLAY:-}

cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  kill -0 "$xvfb_pid" 2>/dev/null || echo "(the X server $DISPLAY had ended: $(cat "$work/xvfb.log"))" >&2
  # What the shows said, but the engine's routine lines.
  for err in "$work"/*.err "$work"/*.terminal.log; do
    [ -f "$err" ] && grep -v '^Parsing mesh' "$err" | tail -n 20 | sed "s|^|$(basename "$err"): |" >&2
  done
  exit 1
}

for tool in Xvfb xterm kitty xdotool convert import "$capture" "$match" "$probe"; do
  command -v "$tool" >/dev/null || fail "$tool is missing (scripts/install-deps.sh installs it)"
done

# wait_until SECONDS WHAT COMMAND...: polls COMMAND until it succeeds.
wait_until() {
  local seconds=$1 what=$2 deadline=$((SECONDS + $1))
  shift 2
  until "$@"; do
    [ $SECONDS -lt $deadline ] || fail "$what did not happen within $seconds s"
    sleep 0.2
  done
}
nonempty() { [ -s "$1" ]; }

# A private content folder, so the archive the show packs is its own.
mkdir -p "$work/show"
ln -s "$show_dir/resources" "$work/show/resources"
for mesh in "$show_dir"/*.obj; do ln -s "$mesh" "$work/show/"; done

# The X server picks a free display and says which.
Xvfb -displayfd 9 -screen 0 1280x800x24 -nolisten tcp 9>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
pids+=($xvfb_pid)
wait_until 30 "the X server starting" nonempty "$work/display"
export DISPLAY=":$(cat "$work/display")"
export LIBGL_ALWAYS_SOFTWARE=1

# exec: the process started in the background is the terminal itself.
xterm_vt340() { exec xterm -ti vt340 -xrm 'XTerm*numColorRegisters: 256' -geometry 100x40+0+0 "$@"; }
kitty_window() {
  exec kitty --config NONE -o font_size=9 -o remember_window_size=no -o initial_window_width=760 \
    -o initial_window_height=500 "$@"
}

# in_terminal NAME TERMINAL COMMAND: runs COMMAND (a shell line) in a new
# terminal window; remembers the window's process to end it.
in_terminal() {
  local name=$1 terminal=$2 command=$3
  "$terminal" -e bash -c "$command" >"$work/$name.terminal.log" 2>&1 &
  terminal_pid=$!
  pids+=($terminal_pid)
}
terminal_gone() { ! kill -0 "$terminal_pid" 2>/dev/null; }
end_terminal() {
  kill "$terminal_pid" 2>/dev/null || true
  wait_until 30 "the terminal closing" terminal_gone
  wait "$terminal_pid" 2>/dev/null || true
}

# 1. --display auto, and each terminal's size as its programs see it.
auto_choice() {  # NAME EXPECTED TERMINAL-COMMAND...
  local name=$1 expected=$2
  shift 2
  "$@" -e env COLORTERM="${colorterm:-}" "$probe" "$work/auto-$name" 20 >/dev/null 2>&1 &
  local pid=$!
  pids+=($pid)
  wait_until 60 "the $name terminal answering" nonempty "$work/auto-$name"
  read -r choice columns rows xpixels ypixels < "$work/auto-$name"
  [ "$choice" = "$expected" ] || fail "--display auto in $name chose $choice, not $expected"
  kill "$pid" 2>/dev/null || true
}
auto_choice kitty kitty kitty_window
kitty_size=("$columns" "$rows" "$xpixels" "$ypixels")
auto_choice xterm-vt340 sixel xterm_vt340
xterm_size=("$columns" "$rows" "$xpixels" "$ypixels")
plain_xterm() { exec xterm -geometry 80x24+0+0 "$@"; }
auto_choice xterm libcaca plain_xterm
colorterm=truecolor auto_choice xterm-truecolor truecolor plain_xterm
echo "auto: kitty in kitty, sixel in xterm -ti vt340, libcaca and truecolor in a plain xterm"

shot() {  # FILE: the screen as PNG and PPM
  import -window root "$1.png"
  convert "$1.png" "ppm:$1.ppm"
}
frame_of() { printf '%s/frame-%06d.png' "$1" "$2"; }

# 2. The capture's bytes written to the terminal.
replay() {  # NAME DISPLAY TERMINAL COLUMNS ROWS XPIXELS YPIXELS
  local name=$1 display=$2 terminal=$3 columns=$4 rows=$5
  local cell="$(($6 / $4))x$(($7 / $5))"
  "$capture" --data "$work/show" --at 165000 --display "$display" --terminal "${columns}x$rows" \
    --cell-size "$cell" --frames --bytes --out "$work/$name-replay" --quiet
  convert "$(frame_of "$work/$name-replay" 165000)" "ppm:$work/$name-replay-frame.ppm"
  # Alternate screen, no cursor, sixels at the cursor: as the show sets up.
  in_terminal "$name" "$terminal" \
    "printf '\\033[?1049h\\033[?25l\\033[?80l'; cat '$work/$name-replay/$display-165000.bin'; sleep 600"
  replay_matches() {
    shot "$work/$name-replay-screen"
    "$match" "$work/$name-replay-screen.ppm" "$work/$name-replay-frame.ppm" 0.9 0.05 > "$work/$name-replay.txt"
  }
  wait_until 60 "the $name terminal showing the capture's frame ($(cat "$work/$name-replay.txt" 2>/dev/null))" \
    replay_matches
  cp "$work/$name-replay-screen.png" "$screens/$name-replay-screen.png"
  cp "$(frame_of "$work/$name-replay" 165000)" "$screens/$name-replay-frame.png"
  echo "$name replaying the capture's $display bytes: $(cat "$work/$name-replay.txt")"
  end_terminal
}

title_time() {
  local title
  title=$(xdotool getwindowname "$1" 2>/dev/null || true)
  [[ $title =~ ^time\ =\ ([0-9]+)$ ]] && echo "${BASH_REMATCH[1]}"
  return 0
}
playing_window() { xdotool search --name '^time = [0-9]+$' 2>/dev/null | head -n 1; }
have_playing_window() { [ -n "$(playing_window)" ]; }
title_past() {  # WINDOW MS
  local now
  now=$(title_time "$1")
  [ -n "$now" ] && [ "$now" -gt "$2" ]
}
title_steady() {  # the title stays the same for a second: paused
  local before
  before=$(title_time "$1")
  sleep 1
  [ -n "$before" ] && [ "$(title_time "$1")" = "$before" ]
}

paused_frame_matches() {  # NAME MS: the screenshot against the capture's frame
  local name=$1 at=$2 result tries=1
  shot "$work/$name-screen"
  rm -rf "$work/$name-frames"
  "$capture" --data "$work/show" --at "$at" --warmup $((at - 165000)) --frames --out "$work/$name-frames" --quiet
  convert "$(frame_of "$work/$name-frames" "$at")" "ppm:$work/$name-frame.ppm"
  cp "$(frame_of "$work/$name-frames" "$at")" "$screens/$name-frame.png"
  # A slow terminal may still be drawing the frame it paused on: look again.
  until result=$("$match" "$work/$name-screen.ppm" "$work/$name-frame.ppm" 0.5 0.05); do
    cp "$work/$name-screen.png" "$screens/$name-screen.png"
    [ "$tries" -lt 3 ] || { echo "$result"; return 1; }
    tries=$((tries + 1))
    sleep 2
    shot "$work/$name-screen"
  done
  cp "$work/$name-screen.png" "$screens/$name-screen.png"
  echo "$result"
}

# 3. The show itself.
play() {  # NAME DISPLAY TERMINAL
  local name=$1 display=$2 terminal=$3
  local status="$work/$name.status"
  local show_line="cd '$work/show' && stty -g > '$work/$name.stty-before'; \
    '$binary' --display $display --start 2:45 --mute --data '$work/show' 2>'$work/$name.err'; \
    echo \$? > '$status'; stty -g > '$work/$name.stty-after'; stty -a > '$work/$name.stty'; sleep 600"
  in_terminal "$name" "$terminal" "$show_line"
  # A terminal that could not start at all (a loaded machine's X server
  # refusing a connection now and then) is started once more.
  playing_or_gone() { have_playing_window || terminal_gone; }
  wait_until 180 "the show playing in $name" playing_or_gone
  if ! have_playing_window; then
    echo "the $name terminal ended before the show played ($(tail -n 1 "$work/$name.terminal.log")); once more"
    in_terminal "$name" "$terminal" "$show_line"
    wait_until 180 "the show playing in $name" have_playing_window
  fi
  local window at
  window=$(playing_window)
  # Paused a moment into the picture: the screenshot and the title then
  # show the same frame, however slow the screenshot.
  wait_until 30 "the show passing 2:46 in $name" title_past "$window" 166000
  xdotool windowfocus --sync "$window"
  # The photos a live frame shows are picked at random on each beat, so one
  # moment's frame may show other photos than the capture's: a poor match is
  # looked at again at two more moments before it fails.
  local result moment
  for moment in 1 2 3; do
    xdotool key space
    wait_until 30 "the show pausing on Space in $name" title_steady "$window"
    at=$(title_time "$window")
    if result=$(paused_frame_matches "$name" "$at"); then break; fi
    [ "$moment" -lt 3 ] || fail "$name at $at ms: $result"
    echo "$name at $at ms: $result; once more a moment later"
    xdotool key space
    sleep 1
  done
  echo "$name --display $display paused at $at ms: $result"
  xdotool key Escape
  wait_until 30 "the show ending on Escape in $name" nonempty "$status"
  [ "$(cat "$status")" = 0 ] || fail "$name: exit status $(cat "$status")"
  grep -Eq '(^| )icanon( |$)' "$work/$name.stty" || fail "$name: tty left without icanon"
  grep -Eq '(^| )echo( |$)' "$work/$name.stty" || fail "$name: tty left without echo"
  cmp -s "$work/$name.stty-before" "$work/$name.stty-after" || fail "$name: the tty modes differ"
  end_terminal
}

replay xterm sixel xterm_vt340 "${xterm_size[@]}"
replay kitty kitty kitty_window "${kitty_size[@]}"
play xterm sixel xterm_vt340
play kitty kitty kitty_window
echo "pixel pictures in xterm and kitty passed"
