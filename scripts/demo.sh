#!/usr/bin/env bash
# The demo: builds the programs, starts sup-server on an embedded SQLite file under var/
# (filled with demo data on its first start), then sup-host logged in as the demo buyer
# COMP01 of branch 0001 with the price-quotation module open.  The host is given nothing
# but the server's address: its look-ups run through the server (--lookups server), as on
# a desktop without database access.  The server stops when the host ends.  Arguments are
# passed to sup-host, e.g.
#   QT_QPA_PLATFORM=offscreen ./scripts/demo.sh --screenshot /tmp/shot.png
# Environment: SUP_BUILD_DIR (default build/), SUP_DEMO_DB (default var/demo.db),
# SUP_DEMO_PORT (default: any free port), SUP_DEMO_NO_BUILD=1 (use the programs already
# built, as the test suite does).
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${SUP_BUILD_DIR:-$ROOT/build}"
DB="${SUP_DEMO_DB:-$ROOT/var/demo.db}"
PORT="${SUP_DEMO_PORT:-0}"

if [ "${SUP_DEMO_NO_BUILD:-}" != 1 ]; then
    echo "demo: building in $BUILD" >&2
    cmake -S "$ROOT" -B "$BUILD" -G Ninja >/dev/null
    cmake --build "$BUILD" --target sup-server sup-host PKG_SUP05200 >&2
fi

mkdir -p "$(dirname "$DB")"
LOG="$(dirname "$DB")/sup-server.log"
server_args=(--database "sqlite:$DB" --listen 127.0.0.1 --port "$PORT")
if [ ! -s "$DB" ]; then
    echo "demo: creating $DB with demo data" >&2
    server_args+=(--init-demo small)
fi

"$BUILD/bin/sup-server" "${server_args[@]}" >"$LOG" 2>&1 &
server_pid=$!
stop_server() {
    if kill -0 "$server_pid" 2>/dev/null; then
        kill "$server_pid" 2>/dev/null || true
        wait "$server_pid" 2>/dev/null || true
    fi
}
trap stop_server EXIT

# Ready when it prints "listening on ADDRESS:PORT"; the port may have been chosen freely.
listen_line=""
for _ in $(seq 1 1200); do
    listen_line="$(grep -m1 '^listening on ' "$LOG" || true)"
    [ -n "$listen_line" ] && break
    if ! kill -0 "$server_pid" 2>/dev/null; then
        echo "demo: sup-server ended before listening:" >&2
        cat "$LOG" >&2
        exit 1
    fi
    sleep 0.1
done
if [ -z "$listen_line" ]; then
    echo "demo: sup-server did not start listening in time; see $LOG" >&2
    exit 1
fi
port="${listen_line##*:}"
echo "demo: sup-server $listen_line (log: $LOG)" >&2

status=0
SUP_PASSWORD=demo "$BUILD/bin/sup-host" \
    --server 127.0.0.1 --port "$port" --branch 0001 --operator COMP01 \
    --lookups server --module SUP05200 "$@" || status=$?
exit "$status"
