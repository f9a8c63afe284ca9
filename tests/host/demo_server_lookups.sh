#!/usr/bin/env bash
# The demo as scripts/demo.sh runs it (host given only the server's address, look-ups
# through the server) reaches the quotation list: the picture is saved, the server answered
# the host's look-ups and refused none of them.
#   demo_server_lookups.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
SOURCE="$1"
BUILD="$2"
WORK="$(mktemp -d /tmp/sup-demo-test.XXXXXX)"
trap 'rm -rf "$WORK"' EXIT

status=0
HOME="$WORK/home" XDG_CONFIG_HOME="$WORK/config" QT_QPA_PLATFORM=offscreen \
    SUP_DEMO_NO_BUILD=1 SUP_BUILD_DIR="$BUILD" SUP_DEMO_DB="$WORK/demo.db" \
    bash "$SOURCE/scripts/demo.sh" --click sbtConfirma --screenshot "$WORK/workspace.png" || status=$?
LOG="$WORK/sup-server.log"
fail() { echo "demo_server_lookups: $*" >&2; cat "$LOG" >&2 || true; exit 1; }

[ "$status" -eq 0 ] || fail "the demo ended with status $status"
[ -s "$WORK/workspace.png" ] || fail "no picture of the workspace"
grep -q 'method=GetConsulta .*outcome=ok' "$LOG" || fail "the host made no look-up through the server"
if grep 'method=GetConsulta' "$LOG" | grep -qv 'outcome=ok'; then
    fail "a look-up through the server failed"
fi
echo "demo_server_lookups: $(grep -c 'method=GetConsulta' "$LOG") look-ups through the server"
