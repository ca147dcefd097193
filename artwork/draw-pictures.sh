#!/usr/bin/env bash
# Draws the saver's built-in pictures and the demo photo collection into OUTPUT_DIR
# (OUTPUT_DIR/resources/ and OUTPUT_DIR/demo/draviks/) with artwork/picture-maker, built in
# build-artwork/ at the root of the tree.
#   artwork/draw-pictures.sh OUTPUT_DIR
set -euo pipefail

if [ $# -ne 1 ] || [ -z "$1" ]; then
  echo "usage: artwork/draw-pictures.sh OUTPUT_DIR" >&2
  exit 2
fi
output=$1
repo_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build_dir="$repo_root/build-artwork"
# The lettering is drawn in the DejaVu fonts, italics included; other fonts draw other pictures.
"$repo_root/tools/install-deps.sh"

cmake -S "$repo_root" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DDRAVIK_BUILD_TESTS=OFF \
  -DDRAVIK_BUILD_PICTURE_MAKER=ON >/dev/null
cmake --build "$build_dir" -j "$(nproc)" --target picture-maker >/dev/null

QT_QPA_PLATFORM=offscreen "$build_dir/artwork/picture-maker/picture-maker" "$output"
