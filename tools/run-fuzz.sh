#!/usr/bin/env bash
# Builds the fuzz targets of tests/fuzz (clang, libFuzzer, ASan and UBSan, in build-fuzz/) and
# runs each for a fixed time, starting from its committed corpus.
#   tools/run-fuzz.sh [SECONDS] [TARGET...]   SECONDS per target (default 30), every target by default
# The committed corpus is copied into a scratch folder first, so what a run finds does not end
# up in the clone. A crash, a sanitizer report, a timeout (over 5 s) or an out-of-memory fails the
# run; the input is printed and kept, to go into the corpus beside its fix. The targets that load
# pictures are held to the saver's own bound of 256 MB; the others to libFuzzer's default, as the
# fuzzer's own memory grows over a long run.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
seconds=${1:-30}
shift || true
"$here/install-deps.sh"

fuzz_dir="$root/tests/fuzz"
if [ $# -gt 0 ]; then
  targets=("$@")
else
  targets=()
  for source in "$fuzz_dir"/fuzz_*.cpp; do
    targets+=("$(basename "$source" .cpp)")
  done
fi

build_dir="$root/build-fuzz"
CXX=clang++ cmake -S "$root" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDRAVIK_FUZZ=ON \
  -DDRAVIK_BUILD_TESTS=OFF -DDRAVIK_BUILD_PICTURE_MAKER=OFF
cmake --build "$build_dir" -j "$(nproc)" --target "${targets[@]}"

# ASan's quarantine alone would take 256 MB: the memory limit is for what the code keeps.
export ASAN_OPTIONS="quarantine_size_mb=16"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
scratch=$(mktemp -d "${TMPDIR:-/tmp}/dravik-fuzz.XXXXXX")
echo "Scratch corpora and findings (removed when nothing is found): $scratch"
failed=()
for target in "${targets[@]}"; do
  corpus="$scratch/$target"
  findings="$scratch/findings-$target"
  mkdir -p "$corpus" "$findings"
  if [ -d "$fuzz_dir/corpus/$target" ]; then
    cp -r "$fuzz_dir/corpus/$target/." "$corpus/"
  fi
  memory_limit=2048
  case $target in fuzz_jpeg_structure | fuzz_picture_load | fuzz_rendition_entry) memory_limit=256 ;; esac
  options=(-max_total_time="$seconds" -rss_limit_mb="$memory_limit" -timeout=5 -print_final_stats=1
           -artifact_prefix="$findings/")
  if [ -f "$fuzz_dir/$target.dict" ]; then
    options+=(-dict="$fuzz_dir/$target.dict")
  fi
  echo "== $target: $seconds s"
  if "$build_dir/fuzz/$target" "${options[@]}" "$corpus" >"$scratch/$target.log" 2>&1; then
    grep -E '^#[0-9]+ +DONE|^stat::(number_of_executed_units|average_exec_per_sec)' "$scratch/$target.log" || true
  else
    failed+=("$target")
    tail -n 60 "$scratch/$target.log"
    for input in "$findings"/*; do
      [ -f "$input" ] || continue
      echo "-- $target failed on $input ($(stat -c %s "$input") bytes), base64:"
      base64 -w 76 "$input" | head -c 20000
      echo
    done
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "Fuzzing found a fault in: ${failed[*]}" >&2
  exit 1
fi
rm -rf "$scratch"
echo "Every target ran ${seconds} s without a finding."
