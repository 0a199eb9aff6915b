#!/bin/sh
# SPDX-License-Identifier: MIT
# Every tracked source, script, build, desktop, page and manual file names its licence in its first line
# (its second, after a "#!" line or an XML declaration).
#   check_spdx.sh [SOURCE_DIR]
# Exits 77 (skip) outside a git checkout.
set -eu
cd "${1:-.}"
command -v git >/dev/null 2>&1 && git rev-parse --is-inside-work-tree >/dev/null 2>&1 ||
  { echo "SKIP: not a git checkout"; exit 77; }

tag='SPDX-License-Identifier: MIT'

# Prints the tracked files that should carry the line and do not.
unlicensed() {
  git -c core.quotePath=false ls-files | while IFS= read -r file; do
    [ -f "$file" ] || continue
    first=$(head -n 1 "$file")
    case $file in
    *.cpp | *.h | *.py | *.sh | *.cmake | CMakeLists.txt | */CMakeLists.txt | *.desktop | *.xml | *.html | \
      *.qrc | *.[1-9]) ;;
    *)
      case $first in
      '#!'*) ;;
      *) continue ;;
      esac
      ;;
    esac
    case $first in
    '#!'* | '<?xml'*) header=$(head -n 2 "$file" | tail -n 1) ;;
    *) header=$first ;;
    esac
    case $header in
    *"$tag"*) ;;
    *) echo "$file" ;;
    esac
  done
}

found=$(unlicensed)
if [ -n "$found" ]; then
  printf 'no "%s" line:\n%s\n' "$tag" "$found"
  exit 1
fi
