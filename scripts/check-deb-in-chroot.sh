#!/usr/bin/env bash
# Installs the Debian package (made by `make deb`) into a fresh Debian 12
# root made with debootstrap, the way a user would (`apt install ./...deb`,
# which fetches the dependencies dpkg-shlibdeps wrote), then runs
# `vesper-glint --version`, `--help` and a short `vesper-capture` run as an
# ordinary user from a folder of their own.
#
#   sudo scripts/check-deb-in-chroot.sh [PACKAGE.deb] [ROOT]
#
# Needs root and the network to the Debian mirror apt is configured with;
# takes a few minutes (the root alone is ~300 MB), so it is not part of
# `make test`. ROOT (default: a new folder under /var/tmp) is removed at the
# end unless KEEP_ROOT=1; an existing ROOT with a Debian in it is reused.
set -euo pipefail
cd "$(dirname "$0")/.."

deb=${1:-$(ls build/vesper-glint_*_*.deb 2>/dev/null | head -n 1)}
[ -n "$deb" ] && [ -f "$deb" ] || { echo "no package: run 'make deb' first or name one" >&2; exit 2; }
deb=$(realpath "$deb")
[ "$(id -u)" -eq 0 ] || { echo "debootstrap and chroot need root" >&2; exit 2; }

# The mirror apt already uses here (deb822 or one-line sources).
mirror=$(sed -n 's/^URIs: *\(\S*\/debian\)$/\1/p' /etc/apt/sources.list.d/*.sources 2>/dev/null | head -n 1)
[ -n "$mirror" ] || mirror=$(awk '$1 == "deb" && $2 ~ /\/debian\/?$/ {print $2; exit}' /etc/apt/sources.list 2>/dev/null || true)
mirror=${mirror:-http://deb.debian.org/debian}

command -v debootstrap > /dev/null || { apt-get install -y -qq debootstrap > /dev/null; }

if [ -n "${2:-}" ]; then root=$2; made_root=0; else root=$(mktemp -d /var/tmp/vg-debroot.XXXXXX); made_root=1; fi
mounted=()
cleanup() {
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount -l "${mounted[i]}" 2>/dev/null || true; done
  if [ "${KEEP_ROOT:-0}" != 1 ] && [ $made_root = 1 ]; then rm -rf "$root"; fi
}
trap cleanup EXIT
step() { printf '== %s (%s s)\n' "$1" "$SECONDS"; }
in_root() { chroot "$root" "$@"; }

if [ ! -x "$root/usr/bin/apt-get" ]; then
  step "debootstrap bookworm from $mirror into $root"
  debootstrap --variant=minbase bookworm "$root" "$mirror" > "$root.debootstrap.log" 2>&1 ||
    { tail -n 20 "$root.debootstrap.log" >&2; exit 1; }
  rm -f "$root.debootstrap.log"
fi
for fs in proc sys dev; do
  mount --bind "/$fs" "$root/$fs"
  mounted+=("$root/$fs")
done
cp /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true
cat > "$root/etc/apt/sources.list" <<SOURCES
deb $mirror bookworm main
deb $mirror bookworm-updates main
SOURCES

step "apt install ./$(basename "$deb")"
cp "$deb" "$root/tmp/"
in_root apt-get update -qq
DEBIAN_FRONTEND=noninteractive in_root apt-get install -y -qq "/tmp/$(basename "$deb")" > "$root/tmp/install.log" 2>&1 ||
  { tail -n 20 "$root/tmp/install.log" >&2; exit 1; }
in_root dpkg -s vesper-glint | grep -E '^(Version|Installed-Size|Depends):'

step "as an ordinary user, from a folder of their own"
in_root id -u tester > /dev/null 2>&1 || in_root useradd --create-home tester
in_root runuser -u tester -- sh -ec '
  mkdir -p ~/elsewhere && cd ~/elsewhere
  vesper-glint --version
  vesper-glint --help | head -n 4
  set +e; vesper-glint --bogus 2>&1; echo "bad option: status $?"; set -e
  vesper-capture --at 1000 --frames --quiet --out ~/frames
  ls -l ~/frames
  [ -z "$(ls -A)" ] || { echo "FAIL: files appeared in the folder it ran from: $(ls -A)"; exit 1; }
  if ls ~/.cache/vesper-glint 2>/dev/null | grep -q .; then echo "FAIL: the shipped archive was packed again"; exit 1; fi
'
step "the installed package works from a fresh Debian 12"
