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

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages. Run as root:" >&2
  echo "  dpkg --add-architecture arm64 && apt-get update && apt-get install -y --no-install-recommends ${missing[*]}" >&2
  exit 1
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx arm64; then
  dpkg --add-architecture arm64
fi
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
