#!/usr/bin/env bash
# Fails when the pictures in src/resources/ or demo/draviks/ are not what artwork/picture-maker
# draws today: a change to the generator whose pictures were not regenerated, or a picture
# edited by hand. Draws them into a scratch folder and compares byte for byte; the tree is
# left alone. Fix with artwork/make-pictures.sh and commit the pictures.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
repo_root="$(dirname "$here")"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

"$here/draw-pictures.sh" "$scratch/out"

differing=()
# src/resources/ also holds files of other making; only the drawn ones are compared.
for drawn in "$scratch/out/resources/"*; do
  committed="src/resources/$(basename "$drawn")"
  cmp -s "$drawn" "$repo_root/$committed" || differing+=("$committed")
done
# demo/draviks/ is drawn whole: a photo it no longer draws is a difference too.
while IFS= read -r -d '' name; do
  committed="demo/draviks/$name"
  drawn="$scratch/out/demo/draviks/$name"
  [ -f "$drawn" ] && [ -f "$repo_root/$committed" ] && cmp -s "$drawn" "$repo_root/$committed" \
    || differing+=("$committed")
done < <({
  (cd "$scratch/out/demo/draviks" && find . -type f -printf '%P\0')
  (cd "$repo_root/demo/draviks" && find . -type f -printf '%P\0')
} | sort -zu)

if [ ${#differing[@]} -ne 0 ]; then
  echo "check-pictures: these files differ from what artwork/picture-maker draws:" >&2
  printf '  %s\n' "${differing[@]}" >&2
  echo "Regenerate them with artwork/make-pictures.sh and commit the result." >&2
  exit 1
fi
count=$(find "$scratch/out" -type f | wc -l)
echo "check-pictures: all $count drawn pictures match the committed files"
