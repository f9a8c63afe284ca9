#!/usr/bin/env bash
# Builds the Debian packages from the build folder given (whose programs are already
# built) and checks them in a throw-away root: the control fields, the files each
# package installs, that every installed program and library finds its libraries in the
# package (RUNPATH) and not in the build folder, and that the unpacked server and
# sup-call serve a call.
set -euo pipefail
BUILD=$(cd "$1" && pwd)
WORK=$(mktemp -d /tmp/sup-packages.XXXXXX)
SERVER_PID=""
cleanup() {
  if [ -n "$SERVER_PID" ]; then kill "$SERVER_PID" 2>/dev/null || true; wait "$SERVER_PID" 2>/dev/null || true; fi
  rm -rf "$WORK"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$BUILD" && cpack -G DEB -B "$WORK/out" >"$WORK/cpack.log" 2>&1) || { cat "$WORK/cpack.log" >&2; fail "cpack"; }
SERVER_DEB=$(ls "$WORK"/out/sup-server_*.deb 2>/dev/null | head -1)
HOST_DEB=$(ls "$WORK"/out/sup-host_*.deb 2>/dev/null | head -1)
[ -n "$SERVER_DEB" ] || fail "no sup-server package"
[ -n "$HOST_DEB" ] || fail "no sup-host package"

field() { dpkg-deb -f "$1" "$2"; }
[ "$(field "$SERVER_DEB" Package)" = sup-server ] || fail "server package name"
[ "$(field "$HOST_DEB" Package)" = sup-host ] || fail "host package name"
SERVER_DEPENDS=$(field "$SERVER_DEB" Depends)
HOST_DEPENDS=$(field "$HOST_DEB" Depends)
for dep in adduser libqt6sql6-sqlite libssl3 libqt6network6 libsqlite3-0 libsodium23; do
  case "$SERVER_DEPENDS" in *"$dep"*) ;; *) fail "sup-server does not depend on $dep: $SERVER_DEPENDS" ;; esac
done
for dep in libqt6widgets6 qt6-qpa-plugins libssl3; do
  case "$HOST_DEPENDS" in *"$dep"*) ;; *) fail "sup-host does not depend on $dep: $HOST_DEPENDS" ;; esac
done
# (Outputs are read whole before grep -q: an early grep exit would break the pipe.)
mkdir -p "$WORK/control"
dpkg-deb -e "$SERVER_DEB" "$WORK/control"
[ -x "$WORK/control/postinst" ] || fail "sup-server has no postinst"
grep -qx /etc/sup/sup-server.ini "$WORK/control/conffiles" || fail "the configuration is not a conffile"
for script in postinst prerm postrm; do sh -n "$WORK/control/$script" || fail "$script does not parse"; done
grep -q "adduser --system" "$WORK/control/postinst" || fail "postinst does not create the system user"

ROOT="$WORK/root"
dpkg-deb -x "$SERVER_DEB" "$ROOT"
dpkg-deb -x "$HOST_DEB" "$ROOT"
for f in usr/bin/sup-server usr/bin/sup-call usr/lib/sup-server/libSupServer.so etc/sup/sup-server.ini \
         lib/systemd/system/sup-server.service usr/lib/sup/sup-host usr/lib/sup/libPKG_SUP05200.so \
         usr/lib/sup/libSupServices.so usr/lib/sup/libSupPriceSheetXlsx.so \
         usr/share/applications/sup-host.desktop usr/share/icons/hicolor/scalable/apps/sup-host.svg; do
  [ -e "$ROOT/$f" ] || fail "missing /$f"
done
[ -d "$ROOT/var/lib/sup" ] || fail "missing /var/lib/sup"
[ "$(readlink "$ROOT/usr/bin/sup-host")" = ../lib/sup/sup-host ] || fail "/usr/bin/sup-host does not point at the host"
grep -q "^User=sup$" "$ROOT/lib/systemd/system/sup-server.service" || fail "the unit does not run as sup"
grep -q "^ExecStart=/usr/bin/sup-server --config /etc/sup/sup-server.ini$" "$ROOT/lib/systemd/system/sup-server.service" ||
  fail "the unit does not start the server with its configuration"
grep -q "^Exec=sup-host$" "$ROOT/usr/share/applications/sup-host.desktop" || fail "desktop entry"

# Every ELF file of the packages resolves the project's libraries inside the root.
for f in "$ROOT"/usr/bin/sup-server "$ROOT"/usr/bin/sup-call "$ROOT"/usr/lib/sup/sup-host \
         "$ROOT"/usr/lib/sup/*.so "$ROOT"/usr/lib/sup-server/*.so; do
  out=$(env -u LD_LIBRARY_PATH ldd "$f")
  case "$out" in *"not found"*) echo "$out" >&2; fail "$f: a library is not found" ;; esac
  case "$out" in *"$BUILD"*) echo "$out" >&2; fail "$f: loads a library from the build folder" ;; esac
done

# The unpacked server and sup-call work together.
env -u LD_LIBRARY_PATH "$ROOT/usr/bin/sup-server" --database "sqlite:$WORK/sup.db" --port 0 --init-demo \
  >"$WORK/server.out" 2>"$WORK/server.log" &
SERVER_PID=$!
PORT=""
for _ in $(seq 1 300); do
  PORT=$(sed -n 's/^listening on .*:\([0-9]*\)$/\1/p' "$WORK/server.out")
  [ -n "$PORT" ] && break
  kill -0 "$SERVER_PID" 2>/dev/null || break
  sleep 0.2
done
[ -n "$PORT" ] || { cat "$WORK/server.log" >&2; fail "the unpacked server did not start"; }
SUP_PASSWORD=demo env -u LD_LIBRARY_PATH "$ROOT/usr/bin/sup-call" --port "$PORT" --operator COMP01 --branch 0001 \
  --object Sup.rdmSuprimentos GetParaSupri 0001 >"$WORK/call.out" || { cat "$WORK/call.out" >&2; fail "sup-call"; }
grep -q "^result:" "$WORK/call.out" || fail "sup-call printed no result"
echo "packages ok: $(basename "$SERVER_DEB") $(basename "$HOST_DEB")"
