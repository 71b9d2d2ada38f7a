# Sourced by the install scripts: install_packages [--no-recommends] PACKAGE...
# installs the Debian packages that are not installed yet (as root, after
# apt-get update), or prints the one line that would, and fails. A name with
# ":ARCH" adds that architecture to dpkg first. Fast when everything is there:
# it only asks dpkg.

install_packages() {
  local options=() missing=() p arch
  if [ "${1:-}" = "--no-recommends" ]; then options+=(--no-install-recommends); shift; fi
  for p in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$p")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local archs=()
  for p in "${missing[@]}"; do
    case "$p" in *:*) arch=${p##*:}; [[ " ${archs[*]} " == *" $arch "* ]] || archs+=("$arch") ;; esac
  done
  if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages. Run:" >&2
    local add=""
    for arch in "${archs[@]}"; do add+="sudo dpkg --add-architecture $arch && "; done
    echo "  ${add}sudo apt-get update && sudo apt-get install -y ${options[*]} ${missing[*]}" >&2
    return 1
  fi
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  for arch in "${archs[@]}"; do
    dpkg --print-foreign-architectures | grep -qx "$arch" || dpkg --add-architecture "$arch"
  done
  apt-get update -qq
  apt-get install -y -qq "${options[@]}" "${missing[@]}"
}
