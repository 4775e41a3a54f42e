#!/usr/bin/env bash
# Builds everything with AddressSanitizer + UndefinedBehaviorSanitizer into
# build-asan/ (or $ASAN_BUILD_DIR) and runs the test suites there. Any
# sanitizer report fails the run: ASan and UBSan stop at the first finding
# and LeakSanitizer reports at exit. Only toolkit-internal leaks are
# suppressed (tests/sanitizer/lsan.supp, each entry with its reason).
# Extra arguments go to ctest, e.g. scripts/sanitize.sh -R tst_faults
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ASAN_BUILD_DIR:-$root/build-asan}
"$root/scripts/setup-debian.sh"
start=$(date +%s)
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKV_SANITIZE=ON >/dev/null
cmake --build "$build" --parallel "$(nproc)"
built=$(date +%s)

export ASAN_OPTIONS="halt_on_error=1:abort_on_error=0:detect_leaks=1:detect_stack_use_after_return=1:strict_string_checks=1:check_initialization_order=1:exitcode=23"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:exitcode=24"
export LSAN_OPTIONS="suppressions=$root/tests/sanitizer/lsan.supp:print_suppressions=1"
# Code the QML engine's JIT generates has no unwind information and cuts the
# sanitizers' stack traces short; the interpreter keeps them whole.
export QV4_FORCE_INTERPRETER=1
# Sanitized code runs several times slower: give each suite more time.
status=0
(cd "$build" && ctest --output-on-failure --timeout 900 -j "${ASAN_JOBS:-2}" "$@") || status=$?
end=$(date +%s)
echo "sanitizer run: build $((built - start))s, tests $((end - built))s, total $((end - start))s"
exit $status
