#!/usr/bin/env bash
# Regenerates the saver's built-in pictures (src/resources/) and the demo photo collection
# (demo/draviks/) with tools/picture-maker, built in a throw-away directory.
# The pictures are drawn first into a scratch folder, so a failed run leaves the tree alone.
set -euo pipefail

repo_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

cmake -S "$repo_root" -B "$scratch/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DDRAVIK_BUILD_TESTS=OFF \
  -DDRAVIK_BUILD_PICTURE_MAKER=ON >/dev/null
cmake --build "$scratch/build" -j2 --target picture-maker

QT_QPA_PLATFORM=offscreen "$scratch/build/tools/picture-maker/picture-maker" "$scratch/out"

cp "$scratch/out/resources/"* "$repo_root/src/resources/"
rm -rf "$repo_root/demo/draviks"
mkdir -p "$repo_root/demo"
cp -r "$scratch/out/demo/draviks" "$repo_root/demo/draviks"

echo "Pictures written to src/resources/ and demo/draviks/."
