#!/usr/bin/env bash
# The Debian package made from the build tree: its files, dependencies that
# dpkg-shlibdeps found in the programs, and lintian without errors. Runs
# with the long tests, beside the sanitizer build, as packing and lintian
# take most of a minute.
set -euo pipefail
build=$3
out=$(mktemp -d /tmp/vg-deb.XXXXXX)
trap 'rm -rf "$out"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$out") > "$out/cpack.log" 2>&1 || fail "cpack: $(tail -5 "$out/cpack.log")"
deb=$(ls "$out"/vesper-glint_*_*.deb)
echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes"

dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./||' > "$out/files"
for file in usr/bin/vesper-glint usr/bin/vesper-capture usr/share/vesper-glint/datafile.pak \
    usr/share/vesper-glint/resources/kelmuth.ogg usr/share/vesper-glint/asteroid3.obj \
    usr/share/man/man1/vesper-glint.1.gz usr/share/man/man1/vesper-capture.1.gz \
    usr/share/doc/vesper-glint/copyright usr/share/doc/vesper-glint/changelog.gz; do
  grep -qx "$file" "$out/files" || fail "the package lacks $file"
done
if grep -vE '^usr/(bin|share/(vesper-glint|man|doc))(/|$)' "$out/files" | grep -v '^usr/$\|^usr/share/$'; then
  fail "files outside the install layout"
fi
depends=$(dpkg-deb -f "$deb" Depends)
for library in libc6 libcaca0 libsdl2 libvorbisfile3 libturbojpeg0 libzip4 libpng16-16 libkissfft; do
  [[ $depends == *"$library"* ]] || fail "Depends lacks $library: $depends"
done

command -v lintian > /dev/null || fail "lintian is not installed (scripts/install-deps.sh installs it)"
lintian --no-tag-display-limit "$deb" > "$out/lintian.txt" 2>&1 || true
cat "$out/lintian.txt"
if grep -q '^E:' "$out/lintian.txt"; then fail "lintian reports errors"; fi
echo "deb package passed"
