#!/usr/bin/env bash
# Runs every test: the release tree's unit and end-to-end tests, the
# sanitizer tree's unit tests, the long lane (the full-show test, the
# package, the web page built for WebAssembly and tested in headless
# chromium, and the Windows programs cross-compiled and tested under wine),
# then the tests in real terminals on a virtual X server.
# The full show takes 333 s of wall clock but little CPU, so the show and its
# content are built first, and it plays while everything else is built and
# run beside it. The terminals draw with software OpenGL and are judged by
# screenshots, so they wait until the builds and the browser are done. Ends
# with one line of totals.
set -uo pipefail

build=${BUILD:-build}
asan=${ASAN_BUILD:-build-asan}
jobs=${JOBS:-$(nproc)}
logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT
full_show=e2e_long_full_show

# Where the time goes, in the log: seconds since the start at each step.
step() { echo "== ${SECONDS} s: $*"; }

failed=0
step "building the show and its content"
cmake --build "$build" -j "$jobs" --target show_with_content > "$logs/show-build.txt" 2>&1 ||
  { cat "$logs/show-build.txt"; failed=1; }
step "the full show starts; building the rest of the release tree"
(cd "$build" && ctest --output-on-failure -R "^$full_show\$") > "$logs/full-show.log" 2>&1 &
full_show_pid=$!

cmake --build "$build" -j "$jobs" || failed=1
# The package, the web page and the Windows programs need the whole release tree.
step "the package, the web page and the Windows programs start; the release tree's tests"
(cd "$build" && ctest --output-on-failure -j 2 -L long -E "^$full_show\$" > "$logs/long.log" 2>&1) &
long_pid=$!

(cd "$build" && ctest --output-on-failure -j "$jobs" -LE 'long|x11') | tee "$logs/release.log" || failed=1
step "building the sanitizer tree"
make --no-print-directory build-asan BUILD="$build" ASAN_BUILD="$asan" || failed=1
step "the sanitizer tree's tests"
(cd "$asan" && ctest --output-on-failure -j "$jobs" -L unit) | tee "$logs/asan.log" || failed=1
step "waiting for the package, the web page and the Windows programs"
wait "$long_pid" || failed=1
cat "$logs/long.log"
# The terminals under X draw with software OpenGL and are timed by
# screenshots: they run once the builds and the browser are done.
step "the terminals under X"
(cd "$build" && ctest --output-on-failure -L x11) | tee "$logs/x11.log" || failed=1
step "waiting for the full show"
wait "$full_show_pid" || failed=1
cat "$logs/full-show.log"
step "done"

# ctest's summary lines: "N% tests passed, F tests failed out of T".
read -r passed failures < <(cat "$logs"/*.log | awk '
  /tests passed, [0-9]+ tests? failed out of [0-9]+/ {
    for (i = 1; i <= NF; i++) if ($i == "failed") f += $(i - 2); t += $NF
  }
  END { print t - f, f + 0 }')
echo "tests: $passed passed, $failures failed"
[ "$failed" -eq 0 ] && [ "$failures" -eq 0 ]
