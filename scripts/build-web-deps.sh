#!/usr/bin/env bash
# Builds the libraries the show links (zlib, libzip, the JPEG decoder,
# libogg, libvorbis, KissFFT, and libcaca for the classic character look)
# as static WebAssembly libraries, from Debian's own source packages: the
# same versions as the native build's libraries, with Debian's patches.
#
# emscripten's "ports" download their sources at build time; this builds
# from `apt-get source` instead (a deb-src entry is added when missing).
#
# The result is cached outside the checkout (see web_deps_root in
# web-env.sh), in one folder per combination of library versions,
# compiler and this script, so a second build, or a fresh clone on the same
# machine, reuses it. Prints that folder (the install prefix) as the last
# line of standard output; everything else goes to stderr.
#
# Usage: scripts/build-web-deps.sh [--key]   (--key: print the cache key only)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=web-env.sh
. "$here/web-env.sh"

jobs=${JOBS:-2}
say() { echo "web deps: $*" >&2; }

# Source package, and the native -dev package whose version it must match.
libraries=(
  "zlib zlib1g-dev"
  "libzip libzip-dev"
  "libjpeg-turbo libturbojpeg0-dev"
  "libogg libogg-dev"
  "libvorbis libvorbis-dev"
  "kissfft libkissfft-dev"
  "libcaca libcaca-dev"
)

# Plain IEEE float arithmetic in our own flags; the libraries keep the flags
# their own build files add (libvorbis and KissFFT ask for -ffast-math, as
# they do in Debian's native build).
common_cflags="-O2"

native_version() { dpkg-query -W -f='${Version}' "$1" 2>/dev/null || echo none; }

cache_key() {
  {
    # The recipe, not its comments.
    grep -v '^[[:space:]]*#' "$0"
    emcc --version 2>/dev/null | head -1
    echo "$common_cflags"
    for entry in "${libraries[@]}"; do
      read -r source dev <<<"$entry"
      echo "$source $(native_version "$dev")"
    done
  } | sha256sum | cut -c1-16
}

if [ "${1:-}" = "--key" ]; then
  cache_key
  exit 0
fi

command -v emcc >/dev/null || { say "emcc is missing (Debian's emscripten package)"; exit 1; }
root=$(web_deps_root)
key=$(cache_key)
prefix=$root/$key
if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi

mkdir -p "$root"
# One builder at a time; a second one waits and then finds the result.
exec 8>"$root/.lock"
flock 8
if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi

ensure_deb_src() {
  if apt-cache showsrc libogg 2>/dev/null | grep -q '^Package:'; then return 0; fi
  if [ "$(id -u)" -ne 0 ]; then
    say "no deb-src entry for apt; as root, add one (Types: deb-src) to /etc/apt/sources.list.d/ and run apt-get update"
    exit 1
  fi
  say "adding Debian's source entries (/etc/apt/sources.list.d/vesper-glint-src.sources)"
  local list=/etc/apt/sources.list.d/vesper-glint-src.sources
  # The same archives the binary packages come from, as deb-src.
  : >"$list.new"
  for f in /etc/apt/sources.list.d/*.sources; do
    [ "$f" = "$list" ] && continue
    awk 'BEGIN { RS = ""; ORS = "\n\n" } /Types:[^\n]*deb([ \n]|$)/ && /debian/ {
           sub(/Types:[^\n]*/, "Types: deb-src"); print }' "$f" >>"$list.new"
  done
  if [ ! -s "$list.new" ] && [ -f /etc/apt/sources.list ]; then
    sed -n 's/^deb \(.*debian.*\)/deb-src \1/p' /etc/apt/sources.list >"${list%.sources}.list"
    rm -f "$list.new"
  else
    mv "$list.new" "$list"
  fi
  apt-get -o DPkg::Lock::Timeout=600 update -qq
}

# Fetches and unpacks one source package into the current folder, the
# native library's version first; the archive may no longer serve that
# exact version (a security update's source), then the newest it has.
fetch_source() {
  local source=$1 dev=$2 want
  want=$(native_version "$dev")
  local versions
  versions=$(apt-cache showsrc "$source" | sed -n 's/^Version: //p' | sort -u |
             while read -r v; do echo "$v"; done | sort -r -V)
  for v in "$want" $versions; do
    [ "$v" = none ] && continue
    if apt-get source -q "$source=$v" >/dev/null 2>&1; then
      echo "$source $v" >"$work/src/$source.version"
      return 0
    fi
  done
  say "could not fetch the source of $source"
  return 1
}

source_dir() { find "$work/src/$1" -mindepth 1 -maxdepth 1 -type d -name "$1-*" | head -1; }

build_zlib() {
  cd "$(source_dir zlib)"
  CFLAGS="$common_cflags" emconfigure ./configure --static --prefix="$staging"
  emmake make -j"$jobs" libz.a
  emmake make install
}

# CMake's check_type_size misreads sizes from WebAssembly objects (it finds
# 9 for size_t and off_t); the sizes are fixed by the target, so they are
# given: 32-bit size_t and long, 64-bit off_t.
cmake_build() {
  local src=$1
  shift
  emcmake cmake -S "$src" -B "$src/wasm-build" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$staging" -DCMAKE_PREFIX_PATH="$staging" \
    -DCMAKE_FIND_ROOT_PATH="$staging" -DCMAKE_C_FLAGS="$common_cflags" "$@"
  cmake --build "$src/wasm-build" -j "$jobs"
  cmake --install "$src/wasm-build"
}

build_libzip() {
  cmake_build "$(source_dir libzip)" -DBUILD_SHARED_LIBS=OFF \
    -DZLIB_INCLUDE_DIR="$staging/include" -DZLIB_LIBRARY="$staging/lib/libz.a" \
    -DENABLE_COMMONCRYPTO=OFF -DENABLE_GNUTLS=OFF -DENABLE_MBEDTLS=OFF -DENABLE_OPENSSL=OFF \
    -DENABLE_WINDOWS_CRYPTO=OFF -DENABLE_BZIP2=OFF -DENABLE_LZMA=OFF -DENABLE_ZSTD=OFF \
    -DBUILD_TOOLS=OFF -DBUILD_REGRESS=OFF -DBUILD_EXAMPLES=OFF -DBUILD_DOC=OFF \
    -DHAVE_SIZEOF_OFF_T=TRUE -DSIZEOF_OFF_T=8 -DHAVE_SIZEOF_SIZE_T=TRUE -DSIZEOF_SIZE_T=4
}

build_libjpeg_turbo() {
  # No SIMD: its x86 assembly has no WebAssembly form.
  cmake_build "$(source_dir libjpeg-turbo)" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON \
    -DWITH_SIMD=OFF -DWITH_TURBOJPEG=ON -DWITH_JAVA=OFF -DCMAKE_SYSTEM_PROCESSOR=wasm32 \
    -DHAVE_SIZE_T=TRUE -DSIZE_T=4 -DHAVE_UNSIGNED_LONG=TRUE -DUNSIGNED_LONG=4
}

autotools_build() {
  local src=$1
  shift
  cd "$src"
  CFLAGS="$common_cflags" PKG_CONFIG_LIBDIR="$staging/lib/pkgconfig" \
    emconfigure ./configure --prefix="$staging" --disable-shared --enable-static "$@"
  emmake make -j"$jobs"
  emmake make install
}

build_libogg() { autotools_build "$(source_dir libogg)"; }

build_libvorbis() {
  autotools_build "$(source_dir libvorbis)" --with-ogg="$staging" --disable-oggtest \
    --disable-docs --disable-examples
}

build_kissfft() {
  cmake_build "$(source_dir kissfft)" -DKISSFFT_DATATYPE=float -DKISSFFT_STATIC=ON \
    -DKISSFFT_TEST=OFF -DKISSFFT_TOOLS=OFF -DKISSFFT_PKGCONFIG=ON -DKISSFFT_OPENMP=OFF
}

# Only the library: its dither is what the classic look needs; no output
# driver of its own is any use in a page.
build_libcaca() {
  local src
  src=$(source_dir libcaca)
  (cd "$src" && autoreconf -fi >/dev/null 2>&1)
  cd "$src"
  CFLAGS="$common_cflags" emconfigure ./configure --prefix="$staging" --disable-shared \
    --enable-static --disable-slang --disable-ncurses --disable-x11 --disable-gl \
    --disable-cocoa --disable-network --disable-vga --disable-csharp --disable-java \
    --disable-cxx --disable-python --disable-ruby --disable-imlib2 --disable-doc \
    --disable-plugins --disable-win32 --disable-conio --disable-kernel --disable-cppunit \
    --disable-zzuf
  emmake make -j"$jobs" -C caca
  emmake make -C caca install
}

ensure_deb_src
# Each library is built into the shared staging prefix and marked done, so
# a build stopped half-way (or a failing library) resumes where it was;
# the prefix only takes the cache key's name once every library is in.
work=$root/build-$key
staging=$work/prefix
mkdir -p "$work/src" "$staging" "$work/done"
started=$(date +%s)
for entry in "${libraries[@]}"; do
  read -r source dev <<<"$entry"
  [ -f "$work/done/$source" ] && continue
  rm -rf "$work/src/$source"
  mkdir -p "$work/src/$source"
  (cd "$work/src/$source" && fetch_source "$source" "$dev") || exit 1
  say "building $source"
  log=$work/$source.log
  # In the background so that errexit holds inside (a subshell tested
  # with `if` or `||` would carry on past a failing step).
  ( set -e; "build_${source//-/_}" ) >"$log" 2>&1 &
  if ! wait $!; then
    grep -m5 -B2 -A3 -E 'error:|Error [0-9]|CMake Error' "$log" >&2 || tail -30 "$log" >&2
    say "building $source failed (whole log: $log)"
    exit 1
  fi
  touch "$work/done/$source"
  rm -rf "$work/src/$source"
done
# The libraries' pkg-config, libtool and CMake files name the prefix they
# were built in; they are read from the cache's own folder.
grep -rlI --null "$staging" "$staging" | xargs -0 -r sed -i "s|$staging|$prefix|g"
cat "$work"/src/*.version >"$staging/versions" 2>/dev/null || true
echo "last part built in $(( $(date +%s) - started )) s on $(nproc) cores with -j$jobs" >"$staging/build-time"
touch "$staging/.complete"
rm -rf "$prefix"
mv "$staging" "$prefix"
rm -rf "$work"
say "done in $(( $(date +%s) - started )) s: $prefix"
echo "$prefix"
