#!/usr/bin/env bash
# Installs what `make cross-arm64` needs on a Debian 12 amd64 machine: the
# arm64 cross compiler, qemu-user to run the tests, and the arm64 builds of
# the libraries next to the machine's own (multiarch). Fast when everything
# is there already.
set -euo pipefail

packages=(g++-aarch64-linux-gnu qemu-user-static)
for p in libcaca-dev libncurses-dev libvorbis-dev libsdl2-dev libkissfft-dev libturbojpeg0-dev \
         libzip-dev libebur128-dev libfreetype-dev libpng-dev libgtest-dev libbenchmark-dev; do
  packages+=("$p:arm64")
done

source "$(dirname "$0")/install-packages.sh"
install_packages --no-recommends "${packages[@]}"
