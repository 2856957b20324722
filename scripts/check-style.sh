#!/usr/bin/env bash
# The checked-in style: clang-format on every C++ file, and clang-tidy with .clang-tidy on
# the computing core (the sources of zamo_core in BUILD's compile_commands.json). Both must
# report nothing.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror

[ -f "$build/compile_commands.json" ] || { echo "check-style: no $build/compile_commands.json; configure first"; exit 1; }
mapfile -t core < <(grep -o 'CMakeFiles/zamo_core\.dir/[^ ]*\.cpp\.o' "$build/compile_commands.json" |
                    sed 's|CMakeFiles/zamo_core\.dir/||; s|\.o$||' | sort -u)
[ ${#core[@]} -gt 0 ] || { echo "check-style: no core sources found"; exit 1; }
# clang-tidy counts the warnings it suppressed in system headers on its error stream.
printf '%s\n' "${core[@]}" | xargs -P "$(nproc)" -n 4 clang-tidy -p "$build" --quiet --warnings-as-errors='*' \
  2> >(grep -v 'warnings generated' >&2)
