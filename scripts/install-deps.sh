#!/usr/bin/env bash
# Installs the Debian packages the show, its tools and its tests need;
# with the argument "web" also those of the web page (`make web`): the
# WebAssembly compiler, the tools that build its libraries from Debian's
# source packages, and the browser its tests drive; with "windows" those
# of the Windows programs (`make windows`): the mingw-w64 compilers (posix
# threads), Debian's mingw zlib, nasm and the autotools for the libraries,
# and wine to run their tests (without its recommended desktop packages).
# Fast when everything is there already: it only asks dpkg.
set -euo pipefail

packages=(
  build-essential cmake pkg-config ccache
  libcaca-dev libncurses-dev libsdl2-dev libvorbis-dev libkissfft-dev libturbojpeg0-dev libzip-dev
  libebur128-dev libfreetype-dev libpng-dev zlib1g-dev libsixel-dev fonts-dejavu-core
  libgtest-dev libbenchmark-dev libcli11-dev help2man
  tmux unzip clang libclang-rt-14-dev lintian ffmpeg
  xvfb xterm kitty x11-apps x11-utils imagemagick xdotool
)
lean=()
for target in "$@"; do
  case $target in
    # The machine's node and npm are used as they are (Debian's nodejs
    # cannot be installed beside them); emscripten only needs a node to exist.
    web) packages+=(emscripten dpkg-dev autoconf automake libtool chromium) ;;
    windows) lean+=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix libz-mingw-w64-dev nasm
                    dpkg-dev autoconf automake libtool wine wine64) ;;
  esac
done

source "$(dirname "$0")/install-packages.sh"
install_packages "${packages[@]}"
[ ${#lean[@]} -eq 0 ] || install_packages --no-recommends "${lean[@]}"
