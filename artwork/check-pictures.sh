#!/usr/bin/env bash
# Fails when the pictures in src/resources/ or demo/draviks/ are not what artwork/picture-maker
# draws today: a change to the generator whose pictures were not regenerated, or a picture
# edited by hand. Draws them into a scratch folder and compares them byte for byte, or where
# the bytes differ, picture to picture up to rounding (no colour value more than 1 apart):
# other processors take other code paths in Qt and the maths library, and land a few colour
# values one off. The tree is left alone. Fix with artwork/make-pictures.sh and commit the
# pictures.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
repo_root="$(dirname "$here")"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

"$here/draw-pictures.sh" "$scratch/out"

picture_maker="$repo_root/build-artwork/artwork/picture-maker/picture-maker"
rounded=()
# Whether the committed file is what was drawn: the same bytes, or the same picture up to rounding.
same_picture() {
  local committed=$1 drawn=$2
  cmp -s "$drawn" "$committed" && return 0
  QT_QPA_PLATFORM=offscreen "$picture_maker" --compare "$committed" "$drawn" || return 1
  rounded+=("${committed#"$repo_root/"}")
}

differing=()
# src/resources/ also holds files of other making; only the drawn ones are compared.
for drawn in "$scratch/out/resources/"*; do
  committed="src/resources/$(basename "$drawn")"
  same_picture "$repo_root/$committed" "$drawn" || differing+=("$committed")
done
# demo/draviks/ is drawn whole: a photo it no longer draws is a difference too.
while IFS= read -r -d '' name; do
  committed="demo/draviks/$name"
  drawn="$scratch/out/demo/draviks/$name"
  [ -f "$drawn" ] && [ -f "$repo_root/$committed" ] && same_picture "$repo_root/$committed" "$drawn" \
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
if [ ${#rounded[@]} -ne 0 ]; then
  echo "check-pictures: the same pictures up to rounding, though not the same bytes, on this machine:"
  printf '  %s\n' "${rounded[@]}"
fi
