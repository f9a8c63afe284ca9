#!/usr/bin/env bash
# Builds everything and runs the whole test suite with CTest.  A throw-away PostgreSQL
# cluster is started for the PostgreSQL half of the server and query tests and removed
# afterwards; its socket folder reaches the tests through SUP_TEST_PG_HOST / _PORT.
# With the environment variable CI set (as CI services set it), a cluster that cannot
# start fails the run instead of skipping the PostgreSQL half.  Then the fuzz targets run
# for a bounded time (scripts/fuzz.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${BUILD_DIR:-build}

cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD"

PGBIN=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1 || true)
PGDIR=""
cleanup() {
  if [ -n "$PGDIR" ] && [ -d "$PGDIR/data" ]; then
    runas "$PGBIN/pg_ctl" -D "$PGDIR/data" stop -m fast >/dev/null 2>&1 || true
    rm -rf "$PGDIR"
  fi
}
runas() {
  if [ "$(id -u)" -eq 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}
trap cleanup EXIT

if [ -n "$PGBIN" ] && [ -x "$PGBIN/initdb" ]; then
  PGDIR=$(mktemp -d /tmp/sup-pg.XXXXXX)
  chmod 755 "$PGDIR"
  if [ "$(id -u)" -eq 0 ]; then chown postgres "$PGDIR"; fi
  PGPORT=$((20000 + RANDOM % 10000))
  if runas "$PGBIN/initdb" -D "$PGDIR/data" -A trust -U postgres >"$PGDIR/initdb.log" 2>&1 &&
     runas "$PGBIN/pg_ctl" -D "$PGDIR/data" -o "-p $PGPORT -k $PGDIR -c listen_addresses=''" \
           -l "$PGDIR/log" -w start >/dev/null; then
    export SUP_TEST_PG_HOST="$PGDIR" SUP_TEST_PG_PORT="$PGPORT" SUP_TEST_PG_USER=postgres
    echo "PostgreSQL test cluster on socket $PGDIR port $PGPORT"
  else
    cat "$PGDIR/initdb.log" "$PGDIR/log" 2>/dev/null >&2 || true
    if [ -n "${CI:-}" ]; then
      echo "PostgreSQL test cluster could not start; under CI that fails the run" >&2
      exit 1
    fi
    echo "PostgreSQL test cluster could not start; PostgreSQL tests will be skipped" >&2
  fi
elif [ -n "${CI:-}" ]; then
  echo "PostgreSQL is not installed; under CI that fails the run (scripts/setup.sh installs it)" >&2
  exit 1
fi

# A test program that failed is run once more on its own: a real fault fails again, while a
# form test that lost the race for the window focus on a busy machine passes alone.  The
# first failure stays in the log above.
ctest --test-dir "$BUILD" --output-on-failure -j2 ||
  ctest --test-dir "$BUILD" --output-on-failure --rerun-failed

# The fuzz targets, built with clang into their own folder, each for a bounded time
# (SUP_FUZZ_SECONDS, 15 by default; 0 leaves them out).  Without clang they are skipped,
# except under CI, where that fails the run.
FUZZ_SECONDS=${SUP_FUZZ_SECONDS:-15}
if [ "$FUZZ_SECONDS" -gt 0 ]; then
  fuzz_rc=0
  ./scripts/fuzz.sh "$FUZZ_SECONDS" || fuzz_rc=$?
  if [ "$fuzz_rc" -eq 3 ] && [ -z "${CI:-}" ]; then
    echo "fuzz targets skipped: clang with the libFuzzer runtime is not installed" >&2
  elif [ "$fuzz_rc" -ne 0 ]; then
    exit "$fuzz_rc"
  fi
fi
