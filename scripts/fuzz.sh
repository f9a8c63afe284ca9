#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/ and runs each one for a bounded
# time on its seed corpus (tests/fuzz/corpus/<target>/).  Any crash, sanitizer report,
# leak or timeout fails the run; the input that caused it is left in the run folder
# and named in the output.
#
#   scripts/fuzz.sh                  every target, 15 s each (what scripts/test.sh runs)
#   scripts/fuzz.sh 600              every target, 10 minutes each
#   scripts/fuzz.sh 3600 fuzz_dispatch   one target for an hour
#
# FUZZ_BUILD_DIR (default build-fuzz) and FUZZ_RUN_DIR (default: a temporary folder,
# removed after a clean run) move the folders; inputs the fuzzer found interesting are
# kept in FUZZ_RUN_DIR/<target>/ when it is given.
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_EACH=${1:-15}
shift || true
TARGETS=("$@")
if [ "${#TARGETS[@]}" -eq 0 ]; then
  TARGETS=(fuzz_cbor fuzz_frames fuzz_dataset fuzz_dispatch)
fi
BUILD=${FUZZ_BUILD_DIR:-build-fuzz}

if ! command -v clang++ >/dev/null ||
   ! ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1; then
  echo "fuzz.sh: clang with the libFuzzer runtime is not installed (scripts/setup.sh installs it)" >&2
  exit 3
fi

launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
CC=clang CXX=clang++ cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSUP_FUZZ=ON \
  "${launcher[@]}" >/dev/null
cmake --build "$BUILD" --target "${TARGETS[@]}"

KEEP=1
RUN=${FUZZ_RUN_DIR:-}
if [ -z "$RUN" ]; then RUN=$(mktemp -d /tmp/sup-fuzz.XXXXXX); KEEP=0; fi
mkdir -p "$RUN"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export LC_ALL=C.UTF-8

failed=0
for t in "${TARGETS[@]}"; do
  mkdir -p "$RUN/$t" "$RUN/$t.artifacts"
  log="$RUN/$t.log"
  # New inputs go to the run folder (first); the committed seeds are only read.
  if "$BUILD/bin/$t" -max_total_time="$SECONDS_EACH" -timeout=10 -rss_limit_mb=2560 \
       -print_final_stats=1 -artifact_prefix="$RUN/$t.artifacts/" \
       "$RUN/$t" "tests/fuzz/corpus/$t" >"$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    echo "fuzz $t: ${runs:-?} executions in ${SECONDS_EACH}s, no finding"
  else
    failed=1
    echo "fuzz $t: FINDING (log $log)" >&2
    grep -E "ERROR|SUMMARY|invariant|Test unit written" "$log" >&2 || tail -40 "$log" >&2
    KEEP=1
  fi
done

if [ "$KEEP" -eq 0 ]; then rm -rf "$RUN"; fi
exit "$failed"
