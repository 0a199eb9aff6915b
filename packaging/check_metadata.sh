#!/bin/sh
# SPDX-License-Identifier: MIT
# Validates the desktop entry, the AppStream metainfo, or an installed tree as a whole.
#   check_metadata.sh desktop FILE | metainfo FILE | tree BUILD_DIR
# Exits 77 (skip) when the validator is not installed. Any warning counts as a failure.
set -eu
kind=$1
target=$2

need() {
  command -v "$1" >/dev/null 2>&1 || { echo "SKIP: $1 is not installed"; exit 77; }
}

case $kind in
desktop)
  need desktop-file-validate
  out=$(desktop-file-validate "$target" 2>&1) || { echo "$out"; exit 1; }
  if [ -n "$out" ]; then echo "$out"; exit 1; fi
  ;;
metainfo)
  need appstreamcli
  appstreamcli validate --no-net --no-color "$target"
  ;;
tree)
  need appstreamcli
  dest=$(mktemp -d)
  trap 'rm -rf "$dest"' EXIT
  DESTDIR=$dest cmake --install "$target" --prefix /usr >/dev/null
  for f in bin/zelvorandine share/applications/zelvorandine.desktop \
           share/metainfo/io.github.zelvorandine.Zelvorandine.metainfo.xml; do
    [ -e "$dest/usr/$f" ] || { echo "not installed: /usr/$f"; exit 1; }
  done
  for size in 16 22 24 32 48 64 128 256; do
    icon=$dest/usr/share/icons/hicolor/${size}x${size}/apps/zelvorandine.png
    [ -f "$icon" ] || { echo "not installed: $icon"; exit 1; }
  done
  # Checks the metainfo against the installed desktop entry and icons.
  appstreamcli validate-tree --no-net --no-color "$dest/usr"
  ;;
*)
  echo "usage: $0 desktop FILE | metainfo FILE | tree BUILD_DIR" >&2
  exit 2
  ;;
esac
