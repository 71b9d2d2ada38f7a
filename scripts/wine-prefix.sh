#!/usr/bin/env bash
# The one wine prefix the Windows tests run in (ctest's fixture around
# them, platform/windows/windows_tests.cmake): `start PREFIX` makes it when
# it is new (wineboot --init, once) and starts a persistent wineserver for
# it, so the tests that run side by side find it ready (their first use of
# a fresh prefix at once fails); `stop PREFIX` ends that server and the
# prefix's programs.
#
# Every output goes to a file in the prefix: wine's background programs
# (services, explorer) live as long as the server and would keep a pipe of
# ctest's open.
set -euo pipefail
what=${1:?start or stop}
prefix=${2:?wine prefix}
export WINEPREFIX=$prefix WINEDEBUG=-all
mkdir -p "$prefix"
log=$prefix/vg-wine.log
case $what in
  start)
    started=$SECONDS
    if [ ! -f "$prefix/system.reg" ]; then
      wineboot --init </dev/null >>"$log" 2>&1
      # Until its server has written the new registry out and ended.
      wineserver -w </dev/null >>"$log" 2>&1 || true
    fi
    # A server an earlier run left (one cut off before its stop) is taken
    # as it is: a second one refuses to start, with status 2.
    wineserver -p </dev/null >>"$log" 2>&1 || [ $? -eq 2 ]
    # Wine's services and device drivers start with the first program and
    # stay: started here, they hold the log, not a test's output pipe
    # (which would keep ctest waiting for them).
    wine cmd.exe /c exit </dev/null >>"$log" 2>&1
    echo "wine prefix $prefix ready in $((SECONDS - started)) s"
    ;;
  stop)
    wineserver -k </dev/null >>"$log" 2>&1 || true
    ;;
  *) echo "usage: $0 start|stop PREFIX" >&2; exit 2 ;;
esac
