#!/usr/bin/env bash
# The web page's test as CTest runs it: `make web` (the WebAssembly
# libraries come from their cache after the first build), then the browser
# tests against the page.
# Usage: web_page.sh SOURCE_DIR NATIVE_BUILD WEB_BUILD
set -euo pipefail
source=${1:?source folder}
native=${2:?native build}
web=${3:?web build}
# Not the caller's make flags: this is a make of its own, not a sub-make.
unset MAKEFLAGS MFLAGS MAKELEVEL
make --no-print-directory -C "$source" web BUILD="$native" WEB_BUILD="$web" JOBS="${JOBS:-2}"
exec bash "$source/tests/web/run-browser-tests.sh" "$native" "$web"
