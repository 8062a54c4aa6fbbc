#!/usr/bin/env bash
# Builds the Debian package of Parlino Messenger with CPack and tries it as a
# new user of Debian 12 would, in a root of its own:
#
#  1. a Release build for /usr and `cpack -G DEB` (build/package/*.deb);
#  2. the package itself: its files, Depends (Debian package names only), the
#     conffile and postinst; desktop-file-validate and appstreamcli on the
#     desktop entry and metadata it installs; lintian's findings are printed;
#  3. a fresh Debian 12 root built by mmdebstrap from the package registry
#     (the apt variant, the package's dependencies, Xvfb and libcap2-bin),
#     in build/package/root;
#  4. inside that root, in mount, PID and network namespaces of their own
#     (loopback only, nothing reaches a real interface): dpkg -i (postinst
#     gives both programs cap_net_bind_service), parlino-cli --version and
#     parlino --version under Xvfb; as the unprivileged user nobody on the
#     standard ports 137-139 of 127.0.0.x: parlino-cli send to parlino-cli
#     listen, and parlino started under Xvfb, found by nbtstat, sent a message
#     and ended with --exit; then dpkg -r, dpkg -P and the root's files
#     compared with those before the installation.
#
# The machine's own /etc, packages and network are never touched. Needs root
# and mmdebstrap (tools/debian-packages.txt); exits 77 (skipped) with the
# reason when either is missing or the registry cannot be reached. Prints
# PASS/FAIL per check and closes with "N passed, N failed".
#
#   tools/package-test.sh [--keep]    --keep leaves the root for a look
set -uo pipefail
cd "$(dirname "$0")/.."
here=$PWD
keep=0
[ "${1:-}" = "--keep" ] && keep=1

skip() { echo "SKIPPED: $*"; exit 77; }
[ "$(id -u)" -eq 0 ] || skip "needs root (a chroot and namespaces)"
for tool in mmdebstrap unshare chroot dpkg-deb cpack; do
  command -v "$tool" >/dev/null || skip "$tool is not installed (tools/bootstrap.sh installs it)"
done

build=$here/build/package
root=$build/root
passed=0 failed=0
pass() { echo "PASS: $*"; passed=$((passed + 1)); }
fail() { echo "FAIL: $*"; failed=$((failed + 1)); }
check() { local what=$1; shift; if "$@"; then pass "$what"; else fail "$what"; fi; }
finish() {
  [ "$keep" -eq 1 ] || rm -rf "$root"
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
  exit
}

# 1. The package.
mkdir -p "$build"
echo "== building the package in $build"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DBUILD_TESTING=OFF -DPL_BUILD_BENCH=OFF >"$build/configure.log" 2>&1 ||
  { cat "$build/configure.log"; echo "FAIL: configure"; exit 1; }
nice cmake --build "$build" >"$build/build.log" 2>&1 || { tail -40 "$build/build.log"; echo "FAIL: build"; exit 1; }
(cd "$build" && rm -f ./*.deb && cpack -G DEB >"$build/cpack.log" 2>&1) ||
  { cat "$build/cpack.log"; echo "FAIL: cpack"; exit 1; }
deb=$(ls "$build"/parlino_*.deb)
echo "== $deb"

# 2. What the package holds.
contents=$(dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|')
for file in /usr/bin/parlino /usr/bin/parlino-cli /usr/lib/x86_64-linux-gnu/libplinstlib.so.1 \
  /usr/share/parlino/language/german.lng /usr/share/parlino/language/russian.lng \
  /usr/share/applications/parlino.desktop /usr/share/metainfo/org.parlino.Messenger.metainfo.xml \
  /usr/share/icons/hicolor/16x16/apps/parlino.png /usr/share/icons/hicolor/22x22/apps/parlino.png \
  /usr/share/icons/hicolor/24x24/apps/parlino.png /usr/share/icons/hicolor/32x32/apps/parlino.png \
  /usr/share/icons/hicolor/48x48/apps/parlino.png /usr/share/icons/hicolor/scalable/apps/parlino.svg \
  /usr/share/man/man1/parlino.1.gz /usr/share/man/man1/parlino-cli.1.gz /etc/parlino/netbt.conf \
  /usr/share/doc/parlino/user-guide.md; do
  check "the package holds $file" grep -qx -- "$file" <<<"$contents"
done
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
mapfile -t needed < <(tr ',' '\n' <<<"$depends" | sed -e 's/|.*//' -e 's/(.*)//' -e 's/[[:space:]]//g' | grep -v '^$')
check "Depends names Debian packages only (${#needed[@]})" bash -c \
  'for p in "$@"; do [[ $p =~ ^[a-z0-9][a-z0-9+.-]+$ ]] || exit 1; done' _ "${needed[@]}"
control=$(mktemp -d)
dpkg-deb -e "$deb" "$control"
check "conffiles lists /etc/parlino/netbt.conf" grep -qx /etc/parlino/netbt.conf "$control/conffiles"
check "postinst grants the capability through parlino-cli setup" grep -q 'parlino-cli" setup capability' "$control/postinst"
check "postinst opens no firewall port" bash -c "! grep -v '^#' '$control/postinst' | grep -Eq 'setup firewall|nft '"
check "a trigger renews the shared library cache" grep -qx "activate-noawait ldconfig" "$control/triggers"
rm -rf "$control"
unpacked=$(mktemp -d)
dpkg-deb -x "$deb" "$unpacked"
soname=$(objdump -p "$unpacked/usr/lib/x86_64-linux-gnu/libplinstlib.so.1" | awk '/SONAME/ {print $2}')
check "libplinstlib's SONAME is libplinstlib.so.1 ($soname)" [ "$soname" = libplinstlib.so.1 ]
if command -v desktop-file-validate >/dev/null; then
  check "desktop-file-validate parlino.desktop" desktop-file-validate "$unpacked/usr/share/applications/parlino.desktop"
fi
if command -v appstreamcli >/dev/null; then
  check "appstreamcli validate the metainfo" appstreamcli validate --no-net \
    "$unpacked/usr/share/metainfo/org.parlino.Messenger.metainfo.xml"
fi
rm -rf "$unpacked"
if command -v lintian >/dev/null; then
  echo "== lintian (informative)"
  lintian --no-tag-display-limit "$deb" 2>&1 | sed 's/^/  /'
fi

# 3. A fresh Debian 12 root with what the package depends on.
echo "== building a Debian 12 root in $root"
rm -rf "$root"
includes=$(IFS=,; echo "${needed[*]},xvfb,xauth,libcap2-bin")
if ! mmdebstrap --variant=apt --mode=root --include="$includes" bookworm "$root" \
  "deb http://deb.debian.org/debian bookworm main" \
  "deb http://deb.debian.org/debian bookworm-updates main" \
  "deb http://deb.debian.org/debian-security bookworm-security main" >"$build/mmdebstrap.log" 2>&1; then
  tail -20 "$build/mmdebstrap.log"
  rm -rf "$root"
  skip "mmdebstrap could not build the root from the package registry (log: $build/mmdebstrap.log)"
fi
cp "$deb" "$root/tmp/parlino.deb"

# 4. Install, run and remove inside the root, in namespaces of its own.
cat >"$root/tmp/inside.sh" <<'INSIDE'
#!/bin/bash
# Runs in the root as root, in private mount, PID and network namespaces.
set -u
pass() { echo "PASS: $*"; }
fail() { echo "FAIL: $*"; }
check() { local what=$1; shift; if "$@"; then pass "$what"; else fail "$what"; fi; }
as_nobody() { setpriv --reuid=nobody --regid=nogroup --clear-groups env HOME=/tmp/home XDG_RUNTIME_DIR=/tmp/run "$@"; }
files() { find / -xdev \( -path /proc -o -path /dev -o -path /tmp -o -path /var/lib/dpkg -o -path /var/log \
  -o -path /var/cache -o -path /run \) -prune -o -print | grep -v '^/etc/ld.so.cache$' | sort; }
conf() {  # conf FILE ADDRESS NAME OTHER... : a loopback host on the standard ports
  local file=$1 address=$2 name=$3; shift 3
  printf '[netbt]\ninterfaces = %s\nnetbios_name = %s\nworkgroup = PKGTEST\nbroadcast_targets = %s\n' \
    "$address" "$name" "$(IFS=,; echo "$*")" >"$file"
}

files >/tmp/files.before
check "dpkg -i installs the package" dpkg -i /tmp/parlino.deb
check "postinst gave parlino cap_net_bind_service" bash -c 'getcap /usr/bin/parlino | grep -q cap_net_bind_service'
check "postinst gave parlino-cli cap_net_bind_service" bash -c 'getcap /usr/bin/parlino-cli | grep -q cap_net_bind_service'
check "parlino-cli --version" bash -c 'parlino-cli --version | grep -qx "parlino-cli 2.0.1.589"'
Xvfb :7 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
for _ in $(seq 100); do [ -S /tmp/.X11-unix/X7 ] && break; sleep 0.1; done
export DISPLAY=:7
check "parlino --version under Xvfb" bash -c 'parlino --version | grep -qx "parlino 2.0.1.589"'
check "the SVG icons have their Qt plugin" test -e /usr/lib/x86_64-linux-gnu/qt6/plugins/iconengines/libqsvgicon.so
check "parlino --help lists the exit status" bash -c 'parlino --help | grep -q "Exit status"'
check "man parlino-cli is installed" test -s /usr/share/man/man1/parlino-cli.1.gz
check "the configuration file is the documented default" bash -c \
  'grep -v "^[#;]" /etc/parlino/netbt.conf | grep -v "^$" | grep -qx "\[netbt\]"'

mkdir -p /tmp/home /tmp/run && chown nobody:nogroup /tmp/home /tmp/run && chmod 700 /tmp/run
conf /tmp/a.conf 127.0.0.2 HOSTA 127.0.0.3 127.0.0.4
conf /tmp/b.conf 127.0.0.3 HOSTB 127.0.0.2 127.0.0.4
conf /tmp/c.conf 127.0.0.4 HOSTC 127.0.0.2 127.0.0.3
chmod 644 /tmp/*.conf
as_nobody env PARLINO_NETBT_CONF=/tmp/a.conf PARLINO_USERNAME=bob parlino-cli listen --json \
  >/tmp/listen.out 2>/tmp/listen.err &
listener=$!
send() { as_nobody env PARLINO_NETBT_CONF=/tmp/b.conf PARLINO_USERNAME=alice parlino-cli send "$@"; }
sent=1
for _ in $(seq 20); do send bob "hello from the package test" 2>/dev/null && { sent=0; break; }; sleep 0.5; done
check "as nobody, parlino-cli send reaches parlino-cli listen on port 139" [ "$sent" -eq 0 ]
kill -TERM "$listener"; wait "$listener"
check "listen printed the message" grep -q "hello from the package test" /tmp/listen.out
[ -s /tmp/listen.err ] && sed 's/^/  listen: /' /tmp/listen.err

as_nobody env PARLINO_NETBT_CONF=/tmp/c.conf PARLINO_USERNAME=carol parlino >/tmp/parlino.out 2>&1 &
program=$!
found=1
for _ in $(seq 40); do
  as_nobody env PARLINO_NETBT_CONF=/tmp/b.conf parlino-cli nbtstat -A 127.0.0.4 2>/dev/null | grep -q "CAROL.*<03>" &&
    { found=0; break; }
  sleep 0.5
done
check "as nobody, parlino runs under Xvfb and its names answer nbtstat" [ "$found" -eq 0 ]
check "parlino receives a message" send carol "hello, desktop"
check "parlino --exit ends the running messenger" \
  as_nobody env PARLINO_NETBT_CONF=/tmp/c.conf PARLINO_USERNAME=carol parlino --exit
ended=1
for _ in $(seq 40); do kill -0 "$program" 2>/dev/null || { ended=0; break; }; sleep 0.5; done
check "parlino ended" [ "$ended" -eq 0 ]
kill "$program" 2>/dev/null
[ -s /tmp/parlino.out ] && sed 's/^/  parlino: /' /tmp/parlino.out
instlib=$(as_nobody env PARLINO_INSTLIB=/tmp/none.so parlino-cli setup path /opt/x 2>&1)
check "with the capability parlino-cli ignores PARLINO_INSTLIB ($instlib)" grep -q "^AddPathVar: " <<<"$instlib"
check "a missing PARLINO_NETBT_CONF file is an error naming it" bash -c \
  'PARLINO_NETBT_CONF=/tmp/none.conf parlino-cli nbtstat 2>&1 | grep -q "/tmp/none.conf: no such file"'

check "dpkg -r removes the package" dpkg -r parlino
check "dpkg -r keeps the conffile" test -f /etc/parlino/netbt.conf
check "dpkg -r removes the programs" bash -c '! test -e /usr/bin/parlino && ! test -e /usr/bin/parlino-cli'
check "dpkg -P purges the package" dpkg -P parlino
files >/tmp/files.after
check "the root holds the same files as before the installation" diff -u /tmp/files.before /tmp/files.after
INSIDE
chmod 755 "$root/tmp/inside.sh"

echo "== installing, running and removing in the root"
unshare --mount --pid --net --fork --kill-child bash -c '
  set -e
  root=$1
  mount --make-rprivate /
  ip link set lo up
  mount -t proc proc "$root/proc"
  mount --rbind /dev "$root/dev"
  mount -t tmpfs tmpfs "$root/dev/shm"
  exec chroot "$root" /tmp/inside.sh
' _ "$root" >"$build/inside.log" 2>&1
cat "$build/inside.log"
passed=$((passed + $(grep -c '^PASS:' "$build/inside.log")))
failed=$((failed + $(grep -c '^FAIL:' "$build/inside.log")))
grep -q "the root holds the same files" "$build/inside.log" || fail "the checks in the root did not all run"
finish
