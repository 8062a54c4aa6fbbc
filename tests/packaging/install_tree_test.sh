#!/usr/bin/env bash
# `cmake --install` of a built tree into a scratch folder (DESTDIR): the
# programs, the library by its SONAME, language files, icons of every size,
# desktop entry, metadata, manual pages, configuration and user guide are
# where a package wants them, and they are sound: the icons are PNGs of their
# size, the manual pages format without warnings, the desktop entry's actions
# are the program's own actions. (nb_config_test parses the configuration.)
#   install_tree_test.sh BUILD_DIR BINDIR LIBDIR DATADIR MANDIR SYSCONFDIR
# (the installation's full folders, as configured)
set -uo pipefail
build=$1 bin=$2 lib=$3 data=$4 man=$5 etc=$6
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0 passed=0
check() { local what=$1; shift; if "$@"; then passed=$((passed + 1)); else echo "FAIL: $what"; failed=$((failed + 1)); fi; }

# DESTDIR moves every path, /etc too: nothing of the machine is touched.
DESTDIR=$work/root cmake --install "$build" >"$work/install.log" 2>&1 || { cat "$work/install.log"; exit 1; }
root=$work/root
for file in "$bin/parlino" "$bin/parlino-cli" "$lib/libplinstlib.so.1" "$data/parlino/language/german.lng" \
  "$data/parlino/language/russian.lng" "$data/applications/parlino.desktop" \
  "$data/metainfo/org.parlino.Messenger.metainfo.xml" "$data/icons/hicolor/scalable/apps/parlino.svg" \
  "$man/man1/parlino.1.gz" "$man/man1/parlino-cli.1.gz" "$etc/parlino/netbt.conf" "$data/doc/parlino/user-guide.md"; do
  check "installs $file" test -s "$root$file"
done
check "no development link of the library" test ! -e "$root$lib/libplinstlib.so"
check "the library's SONAME" bash -c "objdump -p '$root$lib/libplinstlib.so.1' | grep -q 'SONAME *libplinstlib.so.1$'"
for size in 16 22 24 32 48; do
  png=$root$data/icons/hicolor/${size}x${size}/apps/parlino.png
  check "a ${size}px PNG icon" bash -c "file '$png' | grep -q 'PNG image data, $size x $size'"
done
for page in parlino parlino-cli; do
  warnings=$(zcat "$root$man/man1/$page.1.gz" | groff -man -Tutf8 -ww -z 2>&1)
  check "man page $page formats without warnings: $warnings" test -z "$warnings"
  check "man page $page has an EXIT STATUS section" bash -c "zcat '$root$man/man1/$page.1.gz' | grep -q '^.SH EXIT STATUS'"
done
# The desktop actions start the actions the program knows.
desktop=$root$data/applications/parlino.desktop
actions=$(sed -n 's/^Actions=//p' "$desktop" | tr ';' ' ')
check "the desktop entry has the five hot-key actions" test "$(echo $actions)" = "write reply archive search options"
for action in $actions; do
  check "action $action starts parlino --$action" grep -qx "Exec=parlino --$action" "$desktop"
  check "parlino knows --$action" grep -q -- "--$action" <("$root$bin/parlino" --help)
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
