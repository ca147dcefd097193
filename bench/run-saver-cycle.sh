#!/usr/bin/env bash
# Builds the saver and bench_saver_cycle (RelWithDebInfo, as the tests are built, in
# build-bench/) and runs the bench under its own Xvfb. Takes about two minutes.
#   bench/run-saver-cycle.sh            every figure
#   bench/run-saver-cycle.sh --quick    without the idle run (50 s less)
#   bench/run-saver-cycle.sh --collection 200   one pass over 200 photos instead (11 minutes)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
"$root/tools/install-deps.sh"

build_dir="$root/build-bench"
cmake -S "$root" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDRAVIK_BUILD_PICTURE_MAKER=OFF
cmake --build "$build_dir" -j "$(nproc)" --target Dravik2001 bench_saver_cycle

xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp -noreset" "$build_dir/bench/bench_saver_cycle" "$@"
