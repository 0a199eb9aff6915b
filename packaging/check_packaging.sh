#!/bin/sh
# SPDX-License-Identifier: MIT
# Checks the program's package as a distribution's packager would.
#   check_packaging.sh desktop FILE          the desktop entry validates without a word
#   check_packaging.sh metainfo FILE         the AppStream metainfo validates
#   check_packaging.sh tree BUILD_DIR        an installed tree holds every file, and validates as a whole
#   check_packaging.sh man MAN_DIR BINARY    the manual pages format without a warning at any width and
#                                            name every option that the program's --help lists
#   check_packaging.sh build-deb CPACK_CONFIG DEB_DIR   builds the Debian package into DEB_DIR
#   check_packaging.sh lintian DEB_DIR       lintian --pedantic finds no error and no warning
#   check_packaging.sh hardening DEB_DIR     the packaged binary is PIE, bound now, read-only after
#                                            relocation, stack-protected, stripped, without notes (whether
#                                            fortification had a call to check cannot be told from the ELF)
# Exits 77 (skip) when a tool it needs is not installed.
set -eu
kind=$1
target=$2

need() {
  command -v "$1" >/dev/null 2>&1 || { echo "SKIP: $1 is not installed"; exit 77; }
}

fail() {
  echo "FAIL: $*"
  exit 1
}

# cmake --install and cpack rewrite BUILD_DIR/install_manifest.txt, the list by which a user removes an
# install of their own: a check puts back what it found there.
save_manifest() {
  manifest=$1/install_manifest.txt
  saved=$scratch/install_manifest.txt
  [ ! -e "$manifest" ] || cp -p "$manifest" "$saved"
  trap 'restore_manifest; rm -rf "$scratch"' EXIT
}

restore_manifest() {
  if [ -e "$saved" ]; then mv "$saved" "$manifest"; else rm -f "$manifest"; fi
}

# The one package in DEB_DIR.
deb_in() {
  set -- "$1"/zelvorandine_*.deb
  [ -f "$1" ] || fail "no package in $(dirname "$1")"
  echo "$1"
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
  scratch=$(mktemp -d)
  save_manifest "$target"
  dest=$scratch/root
  DESTDIR=$dest cmake --install "$target" --prefix /usr >/dev/null
  for f in bin/zelvorandine share/applications/zelvorandine.desktop \
           share/metainfo/io.github.zelvorandine.Zelvorandine.metainfo.xml \
           share/man/man1/zelvorandine.1.gz share/man/ja/man1/zelvorandine.1.gz \
           share/doc/zelvorandine/copyright share/doc/zelvorandine/changelog.gz; do
    [ -e "$dest/usr/$f" ] || fail "not installed: /usr/$f"
  done
  for size in 16 22 24 32 48 64 128 256; do
    icon=$dest/usr/share/icons/hicolor/${size}x${size}/apps/zelvorandine.png
    [ -f "$icon" ] || fail "not installed: $icon"
  done
  # Checks the metainfo against the installed desktop entry and icons.
  appstreamcli validate-tree --no-net --no-color "$dest/usr"
  ;;
man)
  need groff
  binary=$3
  pages=$(find "$target" -name '*.1' | sort)
  [ -n "$pages" ] || fail "no manual pages in $target"
  for page in $pages; do
    case $page in
    */ja/*) macros="-mja -man" ;;
    *) macros="-man" ;;
    esac
    for width in 60 72 80 100 132; do
      # shellcheck disable=SC2086 # the macro options are words
      out=$(groff -k $macros -ww -z -Tutf8 -rLL=${width}n "$page" 2>&1)
      [ -z "$out" ] || fail "$page at $width columns: $out"
    done
    text=$(LC_ALL=C.UTF-8 MANWIDTH=200 groff -k $macros -Tutf8 -rLL=200n -P-c -P-b -P-u "$page")
    # Japanese runs on without spaces: none after 、 or 。, none between Japanese words but katakana ones.
    stray=$(printf '%s\n' "$text" | LC_ALL=C.UTF-8 grep -P \
      '[、。] |[\p{Han}\p{Hiragana}」] [\p{Han}\p{Hiragana}\p{Katakana}「]|[\p{Katakana}ー] [\p{Han}\p{Hiragana}「]' ||
      true)
    [ -z "$stray" ] || fail "$page shows a space within Japanese text: $stray"
    # Every option of the usage text, "/pt" and "-p" alike, is described.
    for option in $("$binary" --help | grep -oE '(^|[ ,])(-{1,2}|/)[a-z?]*' | tr -d ' ,' | sort -u); do
      printf '%s\n' "$text" | grep -qF -- "$option" || fail "$page does not describe $option"
    done
  done
  ;;
build-deb)
  need cpack
  need dpkg-shlibdeps
  scratch=$(mktemp -d)
  save_manifest "$(dirname "$target")"
  rm -rf "$3"
  cpack --config "$target" -G DEB -B "$3" >"$3.log" 2>&1 || { cat "$3.log"; exit 1; }
  echo "built $(deb_in "$3")"
  ;;
lintian)
  need lintian
  deb=$(deb_in "$target")
  lintian --pedantic --info --display-experimental --fail-on error,warning "$deb"
  ;;
hardening)
  need readelf
  need dpkg-deb
  deb=$(deb_in "$target")
  unpacked=$(mktemp -d)
  trap 'rm -rf "$unpacked"' EXIT
  dpkg-deb -x "$deb" "$unpacked"
  bin=$unpacked/usr/bin/zelvorandine
  headers=$(readelf --file-header --program-headers --dynamic --section-headers --wide "$bin")
  symbols=$(readelf --dyn-syms --wide "$bin")
  printf '%s\n' "$headers" | grep -q 'Type:[[:space:]]*DYN' || fail "not position independent"
  printf '%s\n' "$headers" | grep -q 'FLAGS_1.*PIE' || fail "not a PIE executable"
  printf '%s\n' "$headers" | grep -q 'GNU_RELRO' || fail "no read-only relocations"
  printf '%s\n' "$headers" | grep -qE '\(FLAGS\).*BIND_NOW|FLAGS_1.* NOW' || fail "not bound at start"
  printf '%s\n' "$symbols" | grep -q '__stack_chk_fail' || fail "no stack protector"
  printf '%s\n' "$headers" | grep -q '\.symtab' && fail "not stripped"
  printf '%s\n' "$headers" | grep -q '\.comment' && fail "still has a .comment section"
  echo "hardened: $bin"
  ;;
*)
  echo "usage: $0 desktop FILE | metainfo FILE | tree BUILD_DIR | man MAN_DIR BINARY |" >&2
  echo "       build-deb CPACK_CONFIG DEB_DIR | lintian DEB_DIR | hardening DEB_DIR" >&2
  exit 2
  ;;
esac
