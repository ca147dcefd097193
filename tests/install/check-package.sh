#!/usr/bin/env bash
# Builds the Debian package from a build tree, unpacks it into a throwaway root and checks
# that everything the desktop entries name is where they say.
#   check-package.sh BUILD_DIR
set -euo pipefail

build_dir=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

cpack --config "$build_dir/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1 \
  || { cat "$work/cpack.log" >&2; fail "cpack could not build the package"; }
deb=$(find "$work/out" -maxdepth 1 -name 'dravik2001_*.deb' | head -n 1)
[ -n "$deb" ] || fail "no .deb was made"

root="$work/root"
dpkg-deb -x "$deb" "$root"

depends=$(dpkg-deb -f "$deb" Depends)
for library in libqt6core6 libqt6gui6 libqt6widgets6; do
  grep -q "$library" <<<"$depends" || fail "Depends lacks $library: $depends"
done
[ "$(dpkg-deb -f "$deb" Version)" = "1.00" ] || fail "package version is not 1.00"

for program in Dravik2001.scr dravik-install; do
  [ -x "$root/usr/bin/$program" ] || fail "usr/bin/$program is missing or not executable"
done

entries=("$root"/usr/share/applications/*.desktop)
[ ${#entries[@]} -eq 2 ] || fail "expected two desktop entries, found ${#entries[@]}"
for entry in "${entries[@]}"; do
  if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$entry" || fail "$(basename "$entry") is not a valid desktop entry"
  fi
  command=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
  [ -x "$root/usr/bin/$command" ] || fail "$(basename "$entry") runs $command, which the package does not install"
  icon=$(sed -n 's/^Icon=//p' "$entry")
  compgen -G "$root/usr/share/icons/hicolor/*/apps/$icon.png" >/dev/null \
    || fail "$(basename "$entry") shows icon $icon, which the package does not install"
done
grep -qx 'Exec=Dravik2001.scr /c' "$root/usr/share/applications/dravik2001-settings.desktop" \
  || fail "the settings entry does not open the settings window"

photos=$(find "$root/usr/share/dravik2001/draviks" -name '*.jpg' | wc -l)
[ "$photos" -ge 10 ] || fail "the demo collection holds $photos photos"

echo "package $(basename "$deb"): all checks passed"
