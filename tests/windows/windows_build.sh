#!/usr/bin/env bash
# The Windows programs' test as the native tree's CTest runs it: `make
# windows-test` (the mingw libraries come from their cache after the first
# build), which builds the programs, the zip and the unit tests as .exe and
# runs them under wine.
# Usage: windows_build.sh SOURCE_DIR NATIVE_BUILD WINDOWS_BUILD
set -euo pipefail
source=${1:?source folder}
native=${2:?native build}
windows=${3:?windows build}
# Not the caller's make flags: this is a make of its own, not a sub-make.
unset MAKEFLAGS MFLAGS MAKELEVEL
exec make --no-print-directory -C "$source" windows-test BUILD="$native" WINDOWS_BUILD="$windows" \
  JOBS="${JOBS:-2}"
