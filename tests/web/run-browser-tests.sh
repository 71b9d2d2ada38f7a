#!/usr/bin/env bash
# The web page's browser tests: headless chromium (Debian's) driven by
# puppeteer-core (from npm, installed into the web build), against the page
# served as `make web-serve` serves it. Makes the native reference frames
# with the native capture tool first.
# Usage: run-browser-tests.sh NATIVE_BUILD WEB_BUILD
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
native=$(cd "${1:?native build}" && pwd)
web=$(cd "${2:?web build}" && pwd)
[ -f "$web/index.html" ] || { echo "no page in $web: run make web" >&2; exit 1; }
[ -x /usr/bin/chromium ] || { echo "no /usr/bin/chromium: run scripts/install-deps.sh web" >&2; exit 1; }

# puppeteer-core as the lock file pins it; only again when that changed.
modules=$web/browser-tests
if ! cmp -s "$here/package-lock.json" "$modules/package-lock.json"; then
  mkdir -p "$modules"
  cp "$here/package.json" "$here/package-lock.json" "$modules/"
  (cd "$modules" && npm ci --no-audit --no-fund --loglevel=error)
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

. "$here/../support/scene_positions.sh"
warmup=3000
"$native/vesper-capture" --data "$native/show" --at "$list" --warmup "$warmup" --frames \
  --out "$work/reference" --quiet 2>/dev/null

(cd "$native/show" && "$native/web_energy_reference" "$list" 2>/dev/null) | grep '^energy ' \
  >"$work/energy.txt"

# The page and the content without one picture, as a server would miss it;
# the native show without it for the reference.
missing=alku1.jpg
missing_at=11000
mkdir -p "$work/missing-page/show/resources" "$work/missing-show/resources"
for f in "$web"/*; do [ "$(basename "$f")" = show ] || ln -s "$f" "$work/missing-page/"; done
for f in "$web"/show/*; do [ "$(basename "$f")" = resources ] || ln -s "$f" "$work/missing-page/show/"; done
for f in "$web"/show/resources/*; do ln -s "$f" "$work/missing-page/show/resources/"; done
rm "$work/missing-page/show/resources/$missing"
cp "$native"/show/*.obj "$work/missing-show/"
cp "$native"/show/resources/* "$work/missing-show/resources/"
rm "$work/missing-show/resources/$missing"
"$native/vesper-capture" --data "$work/missing-show" --at "$missing_at" --warmup "$warmup" \
  --frames --out "$work/missing-reference" --quiet 2>/dev/null

export VG_WEB_DIR=$web VG_POSITIONS=$list VG_WARMUP=$warmup VG_REFERENCE_DIR=$work/reference
export VG_ENERGY_REFERENCE=$work/energy.txt
export VG_MISSING_DIR=$work/missing-page VG_MISSING_PICTURE=$missing VG_MISSING_AT=$missing_at
export VG_MISSING_REFERENCE=$work/missing-reference/frame-$(printf %06d $missing_at).png
# The tests import puppeteer-core from the web build's modules.
ln -sfn "$modules/node_modules" "$work/node_modules"
cp "$here"/*.mjs "$work/"
cd "$work"
node --test --test-concurrency=1 ./*.test.mjs
