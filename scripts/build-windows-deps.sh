#!/usr/bin/env bash
# Builds the libraries the Windows programs and their tests link as static
# x86-64 Windows libraries with Debian's mingw-w64 (the posix thread
# model's GCC 12, the native build's compiler), from Debian's own source
# packages: the same versions as the native build's -dev packages, with
# Debian's patches. The WebAssembly twin of this recipe is
# scripts/build-web-deps.sh; the two share its way of fetching, caching and
# resuming. zlib is Debian's own mingw package (libz-mingw-w64-dev), the
# only library Debian builds for mingw.
#
# Fixes a library needs for mingw-w64 are small patches in
# scripts/windows-patches/<source>/, applied after Debian's; each says
# what it fixes and why.
#
# The result is cached outside the checkout, in one folder per
# combination of library versions, compiler, this script and its patches,
# so a second build, or a fresh clone on the same machine, reuses it.
# Prints that folder (the install prefix) as the last line of standard
# output; everything else goes to stderr.
#
# Usage: scripts/build-windows-deps.sh [--key]   (--key: print the cache key only)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/.." && pwd)
toolchain=$repo/cmake/x86_64-w64-mingw32.cmake
patches=$here/windows-patches
host=x86_64-w64-mingw32
export CC=$host-gcc-posix CXX=$host-g++-posix AR=$host-ar RANLIB=$host-ranlib RC=$host-windres

jobs=${JOBS:-2}
say() { echo "windows deps: $*" >&2; }

# Source package, and the native -dev package whose version it must match.
# libpng, libebur128 and freetype are the capture tool's and the
# generator's (which the content and capture tests link); googletest and
# CLI11's headers are the tests' and the command lines'. libsixel, which
# only two test files link (to read our sixel images back), is not built:
# the archive here serves none of its source; those files are left out of
# the Windows tests.
libraries=(
  "libzip libzip-dev"
  "libjpeg-turbo libturbojpeg0-dev"
  "libogg libogg-dev"
  "libvorbis libvorbis-dev"
  "kissfft libkissfft-dev"
  "libsdl2 libsdl2-dev"
  "libcaca libcaca-dev"
  "libpng1.6 libpng-dev"
  "libebur128 libebur128-dev"
  "freetype libfreetype-dev"
  "googletest libgtest-dev"
  "cli11 libcli11-dev"
)

# Plain IEEE float arithmetic in our own flags; the libraries keep the flags
# their own build files add (libvorbis and KissFFT ask for -ffast-math, as
# they do in Debian's native build).
common_cflags="-O2"

native_version() { dpkg-query -W -f='${Version}' "$1" 2>/dev/null || echo none; }

cache_key() {
  {
    # The recipe and its patches, not its comments.
    grep -v '^[[:space:]]*#' "$0"
    if [ -d "$patches" ]; then find "$patches" -type f -name '*.patch' -print0 | sort -z | xargs -0 -r cat; fi
    cat "$toolchain"
    "$CXX" --version 2>/dev/null | head -1
    echo "$common_cflags zlib $(native_version libz-mingw-w64-dev)"
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

command -v "$CXX" >/dev/null || { say "$CXX is missing (Debian's g++-mingw-w64-x86-64-posix)"; exit 1; }
root=${XDG_CACHE_HOME:-${HOME:-/tmp}/.cache}/vesper-glint/windows-deps
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
# native library's version first (without a binary-only rebuild's +bN);
# the archive may no longer serve that exact version (a security update's
# source), then the newest it has. A mirror that serves a version's
# upstream tarball but not Debian's part of it gets the tarball unpacked
# as it is, and the versions file says so.
fetch_source() {
  local source=$1 dev=$2 want
  want=$(native_version "$dev" | sed 's/+b[0-9]*$//')
  local versions
  versions=$(apt-cache showsrc "$source" | sed -n 's/^Version: //p' | sort -u -r -V)
  for v in "$want" $versions; do
    [ "$v" = none ] && continue
    if apt-get source -q "$source=$v" >/dev/null 2>&1; then
      echo "$source $v" >"$work/src/$source.version"
      return 0
    fi
  done
  local upstream=${want#*:}
  upstream=${upstream%-*}
  local tarball
  tarball=$(find . -maxdepth 1 -name "${source}_${upstream}.orig.tar.*" ! -name '*.asc' | head -1)
  if [ -n "$tarball" ]; then
    mkdir unpacked && tar -xf "$tarball" -C unpacked
    mv unpacked/* "$source-$upstream" && rmdir unpacked
    echo "$source $upstream (upstream tarball only: the archive did not serve Debian's files)" \
      >"$work/src/$source.version"
    say "$source: only the upstream tarball of $upstream could be fetched; building it without Debian's patches"
    return 0
  fi
  say "could not fetch the source of $source"
  return 1
}

source_dir() { find "$work/src/$1" -mindepth 1 -maxdepth 1 -type d -name "$1-*" | head -1; }

# Our patches for mingw-w64, after Debian's.
apply_patches() {
  local source=$1 dir=$2
  [ -d "$patches/$source" ] || return 0
  for p in "$patches/$source"/*.patch; do
    say "$source: applying $(basename "$p")"
    patch -d "$dir" -p1 --no-backup-if-mismatch <"$p" >&2
  done
}

cmake_build() {
  local src=$1
  shift
  cmake -S "$src" -B "$src/mingw-build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$staging" -DCMAKE_PREFIX_PATH="$staging" \
    -DCMAKE_C_FLAGS="$common_cflags" -DCMAKE_CXX_FLAGS="$common_cflags" \
    -DBUILD_SHARED_LIBS=OFF "$@"
  cmake --build "$src/mingw-build" -j "$jobs"
  cmake --install "$src/mingw-build"
}

autotools_build() {
  local src=$1
  shift
  cd "$src"
  CFLAGS="$common_cflags" ./configure --host=$host --prefix="$staging" --disable-shared --enable-static "$@"
  make -j"$jobs"
  make install
}

build_libzip() {
  cmake_build "$(source_dir libzip)" \
    -DENABLE_COMMONCRYPTO=OFF -DENABLE_GNUTLS=OFF -DENABLE_MBEDTLS=OFF -DENABLE_OPENSSL=OFF \
    -DENABLE_WINDOWS_CRYPTO=OFF -DENABLE_BZIP2=OFF -DENABLE_LZMA=OFF -DENABLE_ZSTD=OFF \
    -DBUILD_TOOLS=OFF -DBUILD_REGRESS=OFF -DBUILD_EXAMPLES=OFF -DBUILD_DOC=OFF
}

# With its SIMD routines (nasm), as the native library has them: they give
# the same pixels as its plain C.
build_libjpeg_turbo() {
  cmake_build "$(source_dir libjpeg-turbo)" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON \
    -DWITH_TURBOJPEG=ON -DWITH_JAVA=OFF -DCMAKE_ASM_NASM_COMPILER=nasm
}

build_libogg() { autotools_build "$(source_dir libogg)"; }

build_libvorbis() {
  autotools_build "$(source_dir libvorbis)" --with-ogg="$staging" --disable-oggtest \
    --disable-docs --disable-examples
}

# Its CMake file reads GNUInstallDirs only on UNIX: the folders are given.
build_kissfft() {
  cmake_build "$(source_dir kissfft)" -DKISSFFT_DATATYPE=float -DKISSFFT_STATIC=ON \
    -DKISSFFT_TEST=OFF -DKISSFFT_TOOLS=OFF -DKISSFFT_PKGCONFIG=ON -DKISSFFT_OPENMP=OFF \
    -DCMAKE_INSTALL_INCLUDEDIR=include -DCMAKE_INSTALL_LIBDIR=lib -DCMAKE_INSTALL_BINDIR=bin
}

# The show uses its sound only (WASAPI, DirectSound, winmm, and the disk
# and dummy drivers), but it is built whole: its table of entry points
# (dynapi) names the Windows video calls, which a build without video
# leaves undefined.
build_libsdl2() { cmake_build "$(source_dir libsdl2)" -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF; }

# The library with its win32 console driver (the classic picture in a
# Windows console).
build_libcaca() {
  local src
  src=$(source_dir libcaca)
  (cd "$src" && autoreconf -fi >/dev/null 2>&1)
  cd "$src"
  CFLAGS="$common_cflags" ./configure --host=$host --prefix="$staging" --disable-shared \
    --enable-static --disable-slang --disable-ncurses --disable-x11 --disable-gl \
    --disable-cocoa --disable-network --disable-vga --disable-csharp --disable-java \
    --disable-cxx --disable-python --disable-ruby --disable-imlib2 --disable-doc \
    --disable-plugins --enable-win32 --disable-conio --disable-kernel --disable-cppunit \
    --disable-zzuf
  # Not its test programs (SUBDIRS=): they link as if against the DLL.
  make -j"$jobs" -C caca SUBDIRS=
  make -C caca SUBDIRS= install
}

build_libpng1_6() { autotools_build "$(source_dir libpng1.6)"; }

build_libebur128() { cmake_build "$(source_dir libebur128)"; }

# The generator's text pictures: outlines, with Debian's mingw zlib (its
# own copy of zlib would clash with it in a program that links both), none
# of the optional libraries (bzip2, PNG glyphs, shaping, brotli) it does
# not use.
build_freetype() {
  cmake_build "$(source_dir freetype)" -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON \
    -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON -DFT_REQUIRE_ZLIB=ON
}

build_googletest() { cmake_build "$(source_dir googletest)" -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON; }

# Headers only.
build_cli11() {
  local src
  src=$(source_dir cli11)
  mkdir -p "$staging/include"
  cp -r "$src/include/CLI" "$staging/include/"
}

# The library's licence notes and Debian's copyright file, for the zip.
keep_licences() {
  local source=$1 dir=$2
  mkdir -p "$staging/share/licences/$source"
  find "$dir" -maxdepth 1 -type f \( -iname 'COPYING*' -o -iname 'LICEN[CS]E*' -o -iname 'COPYRIGHT*' \) \
    -exec cp {} "$staging/share/licences/$source/" \;
  [ -f "$dir/debian/copyright" ] && cp "$dir/debian/copyright" "$staging/share/licences/$source/debian-copyright"
  return 0
}

ensure_deb_src
# Each library is built into the shared staging prefix and marked done, so
# a build stopped half-way (or a failing library) resumes where it was;
# the prefix only takes the cache key's name once every library is in.
work=$root/build-$key
staging=$work/prefix
mkdir -p "$work/src" "$staging" "$work/done"
# Only the libraries built here and Debian's mingw zlib, never the machine's own.
export PKG_CONFIG_LIBDIR=$staging/lib/pkgconfig:/usr/$host/lib/pkgconfig PKG_CONFIG_PATH=
started=$(date +%s)
for entry in "${libraries[@]}"; do
  read -r source dev <<<"$entry"
  [ -f "$work/done/$source" ] && continue
  rm -rf "$work/src/$source"
  mkdir -p "$work/src/$source"
  (cd "$work/src/$source" && fetch_source "$source" "$dev") || exit 1
  apply_patches "$source" "$(source_dir "$source")"
  say "building $source"
  log=$work/$source.log
  lib_started=$(date +%s)
  # In the background so that errexit holds inside (a subshell tested
  # with `if` or `||` would carry on past a failing step).
  ( set -e; "build_$(echo "$source" | tr -- '-.' '__')" ) >"$log" 2>&1 &
  if ! wait $!; then
    grep -m5 -B2 -A3 -E 'error:|Error [0-9]|CMake Error' "$log" >&2 || tail -30 "$log" >&2
    say "building $source failed (whole log: $log)"
    exit 1
  fi
  echo "$source $(( $(date +%s) - lib_started )) s" >>"$work/times"
  keep_licences "$source" "$(source_dir "$source")"
  touch "$work/done/$source"
  rm -rf "$work/src/$source"
done
# The libraries' pkg-config, libtool and CMake files name the prefix they
# were built in; they are read from the cache's own folder.
grep -rlI --null "$staging" "$staging" | xargs -0 -r sed -i "s|$staging|$prefix|g"
cat "$work"/src/*.version >"$staging/versions" 2>/dev/null || true
{
  echo "last part built in $(( $(date +%s) - started )) s on $(nproc) cores with -j$jobs"
  cat "$work/times" 2>/dev/null
} >"$staging/build-time"
touch "$staging/.complete"
rm -rf "$prefix"
mv "$staging" "$prefix"
rm -rf "$work"
say "done in $(( $(date +%s) - started )) s: $prefix"
echo "$prefix"
