#!/usr/bin/env bash
# Copies the show's content (resources/ and the meshes, as the terminal show
# reads them) into the web page's folder, with content.json: the list of
# files the page fetches and writes where the show looks for them.
# Usage: stage-web-content.sh SHOW_DIR PAGE_SHOW_DIR
set -euo pipefail
from=${1:?content folder}
to=${2:?page content folder}
rm -rf "$to.new"
mkdir -p "$to.new/resources"
cp "$from"/resources/* "$to.new/resources/"
cp "$from"/*.obj "$to.new/"
(
  cd "$to.new"
  printf '{"files": ['
  sep=
  for f in resources/* *.obj; do
    printf '%s\n  {"name": "%s", "size": %d}' "$sep" "$f" "$(stat -c %s "$f")"
    sep=,
  done
  printf '\n]}\n'
) >"$to.new/content.json"
rm -rf "$to"
mv "$to.new" "$to"
