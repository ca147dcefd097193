#!/usr/bin/env bash
# Builds the program and every test, then runs them all with CTest.
#   tools/run-tests.sh              plain build in build-tests/
#   tools/run-tests.sh --sanitize   AddressSanitizer + UndefinedBehaviorSanitizer build in build-sanitize/
# CTEST_PARALLEL_LEVEL sets how many tests run at once (default: one per core).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
"$here/install-deps.sh"

build_dir="$root/build-tests"
sanitize=OFF
if [ "${1:-}" = "--sanitize" ]; then
  build_dir="$root/build-sanitize"
  sanitize=ON
  # Leaks in the desktop's own libraries (fontconfig, X) are not ours to fix.
  export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
  # GCC 12's runtime can take a thread's dynamic TLS block for an old glibc header and crash
  # LeakSanitizer's tracer at exit, now and then ("Tracer caught signal 11"); not intercepting
  # __tls_get_addr avoids it (google/sanitizers#1322).
  export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:intercept_tls_get_addr=0"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
fi

# The picture generator is built and checked by artwork/check-pictures.sh, not here (OFF also
# for a build directory configured with it before).
cmake -S "$root" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDRAVIK_SANITIZE="$sanitize" \
  -DDRAVIK_BUILD_PICTURE_MAKER=OFF
cmake --build "$build_dir" -j "$(nproc)"
ctest --test-dir "$build_dir" --output-on-failure -j "${CTEST_PARALLEL_LEVEL:-$(nproc)}"
