#!/usr/bin/env bash
# Fails when a C++ file under src/, tests/, tools/, bench/ or artwork/ differs from the .clang-format style.
# Fix with: git ls-files '*.cpp' '*.h' | xargs clang-format -i
set -euo pipefail
cd "$(dirname "$0")/.."
"tools/install-deps.sh"
git ls-files -z -- 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'tools/*.cpp' 'tools/*.h' 'bench/*.cpp' 'bench/*.h' \
  'artwork/*.cpp' 'artwork/*.h' \
  | xargs -0 clang-format --dry-run --Werror
echo "check-format: every file follows .clang-format"
