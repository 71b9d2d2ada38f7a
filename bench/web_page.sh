#!/usr/bin/env bash
# Measures the web page against the native show in one run (see
# web_page.mjs). Needs `make web` and the native build.
# Usage: bench/web_page.sh [NATIVE_BUILD [WEB_BUILD [ROUNDS]]]
# ROUNDS (default 2): how many passes over the show the native show and
# the page make, taking turns every few frames.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
native=$(cd "${1:-build}" && pwd)
web=$(cd "${2:-build-web}" && pwd)
[ -x "$native/web_page_native" ] || { echo "no $native/web_page_native: build the native tree" >&2; exit 1; }
[ -d "$web/browser-tests/node_modules" ] || { echo "run the browser tests once first (they install puppeteer-core)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$here/web_page.mjs" "$here/../tests/web/browser.mjs" "$work/"
ln -s "$web/browser-tests/node_modules" "$work/node_modules"
node "$work/web_page.mjs" "$web" "$native" "${3:-2}"
