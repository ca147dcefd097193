#!/usr/bin/env bash
# Regenerates the saver's built-in pictures (src/resources/) and the demo photo collection
# (demo/draviks/) with artwork/picture-maker.
# The pictures are drawn first into a scratch folder, so a failed run leaves the tree alone.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
repo_root="$(dirname "$here")"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

"$here/draw-pictures.sh" "$scratch/out"

cp "$scratch/out/resources/"* "$repo_root/src/resources/"
rm -rf "$repo_root/demo/draviks"
mkdir -p "$repo_root/demo"
cp -r "$scratch/out/demo/draviks" "$repo_root/demo/draviks"

echo "Pictures written to src/resources/ and demo/draviks/."
