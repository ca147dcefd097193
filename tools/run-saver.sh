#!/usr/bin/env bash
# Builds the saver and runs it full screen on the bundled demo collection. Its settings go
# to a throwaway directory, so a user's own settings are never touched. A key press, a
# mouse press or a few mouse moves end it.
#   tools/run-saver.sh        the saver
#   tools/run-saver.sh /c     its settings window (what it saves is thrown away too)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
"$here/install-deps.sh"

build_dir="$root/build"
cmake -S "$root" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDRAVIK_BUILD_TESTS=OFF
cmake --build "$build_dir" -j "$(nproc)" --target Dravik2001 dravik-install

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run-saver: no desktop to show the saver on (DISPLAY is not set)." >&2
  exit 1
fi

XDG_CONFIG_HOME=$(mktemp -d)
export XDG_CONFIG_HOME
trap 'rm -rf "$XDG_CONFIG_HOME"' EXIT

"$build_dir/dravik-install" "$root/demo/draviks"
"$build_dir/dravik-install" --interval 3
"$build_dir/Dravik2001.scr" "$@"
