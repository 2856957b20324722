#!/usr/bin/env bash
# The checked-in style: clang-format on every C++ file, and clang-tidy with .clang-tidy on
# every source of the program's targets (the core, the windows, the tool and the programs,
# as BUILD's compile_commands.json lists them; tests, benchmarks and generated code aside).
# Both must report nothing.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror

[ -f "$build/compile_commands.json" ] || { echo "check-style: no $build/compile_commands.json; configure first"; exit 1; }
mapfile -t sources < <(grep -o '"file": "[^"]*"' "$build/compile_commands.json" | sed 's/"file": "//; s/"$//' |
                       sed "s|^$PWD/||" | grep -E '^(model|document|optimize|ui|app|cli)/' | sort -u)
[ ${#sources[@]} -gt 0 ] || { echo "check-style: no sources found in $build"; exit 1; }
printf '%s\n' "${sources[@]}" | xargs -P "$(nproc)" -n 4 clang-tidy -p "$build" --quiet --warnings-as-errors='*' \
  2> >(grep -v 'warnings generated' >&2)
