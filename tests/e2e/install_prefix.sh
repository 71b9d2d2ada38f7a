#!/usr/bin/env bash
# Installs into a temporary prefix that the user running the programs cannot
# write (another user owns it when the test runs as root; otherwise it is
# made read-only), then runs both programs from / : the version, and a short
# capture of the real content that writes nothing but its own output. The
# prefix is then moved, and the programs still find their content.
set -euo pipefail
build=$3
root=$(mktemp -d /tmp/vg-install.XXXXXX)
chmod 755 "$root"
cleanup() { chmod -R u+w "$root" 2>/dev/null || true; rm -rf "$root"; }
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

prefix=$root/prefix
cmake --install "$build" --prefix "$prefix" > "$root/install.log" || fail "install: $(cat "$root/install.log")"
for file in bin/vesper-glint bin/vesper-capture share/vesper-glint/datafile.pak \
    share/vesper-glint/resources/kelmuth.ogg share/vesper-glint/asteroid1.obj \
    share/man/man1/vesper-glint.1.gz share/man/man1/vesper-capture.1.gz share/doc/vesper-glint/copyright; do
  [ -f "$prefix/$file" ] || fail "not installed: $file"
done
zcat "$prefix/share/man/man1/vesper-glint.1.gz" | grep -q 'start.*POS' || fail "the man page lacks --start"

# Outputs and the cache go where that user may write.
mkdir -p "$root/out" "$root/cache"
chmod 777 "$root/out" "$root/cache"
if [ "$(id -u)" -eq 0 ]; then
  as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
else
  as_user=()
  chmod -R a-w "$prefix"
fi
shipped=$(md5sum < "$prefix/share/vesper-glint/datafile.pak")

run_from_root() {  # PREFIX: version and a one-frame capture
  local at=$1
  (cd / && env -u VESPER_GLINT_DATA HOME=/nonexistent XDG_CACHE_HOME="$root/cache" \
     "${as_user[@]}" "$at/bin/vesper-glint" --version) > "$root/version.txt" ||
    fail "--version failed from $at"
  grep -q '^vesper-glint [0-9]' "$root/version.txt" || fail "version: $(cat "$root/version.txt")"
  rm -f "$root/out/frame-001000.png"
  (cd / && env -u VESPER_GLINT_DATA HOME=/nonexistent XDG_CACHE_HOME="$root/cache" "${as_user[@]}" \
     "$at/bin/vesper-capture" --at 1000 --frames --quiet --out "$root/out") 2> "$root/capture.err" ||
    fail "capture failed from $at: $(cat "$root/capture.err")"
  [ -s "$root/out/frame-001000.png" ] || fail "no frame captured from $at"
  if grep -E "Cannot|placeholder" "$root/capture.err"; then fail "the installed content was not found whole"; fi
}

run_from_root "$prefix"
[ "$(md5sum < "$prefix/share/vesper-glint/datafile.pak")" = "$shipped" ] || fail "the shipped archive changed"
[ -z "$(ls -A "$root/cache")" ] || fail "a current shipped archive was packed again into the cache"

mv "$prefix" "$root/moved"
run_from_root "$root/moved"
echo "install into a prefix the user cannot write passed"
