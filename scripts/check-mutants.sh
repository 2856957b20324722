#!/usr/bin/env bash
# Checks that the core tests catch each plausible fault of scripts/mutants.txt: applies one
# mutant at a time, rebuilds the core tests in a core-only build, runs them, and restores the
# file (also on Ctrl+C). Prints a table; exits non-zero when a mutant survives, does not
# apply (its text is no longer found exactly once) or does not build.
#
#   scripts/check-mutants.sh [--list] [--only GLOB] [BUILD_DIR]
#
# BUILD_DIR defaults to build-mutants (configured with -DZAMO_BUILD_UI=OFF when missing);
# --only limits the run to the mutants whose names match GLOB; --list only checks that
# every mutant applies.
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
list=$root/scripts/mutants.txt
only_list=false
pattern="*"
build=$root/build-mutants
while [[ $# -gt 0 ]]; do
  case $1 in
    --list) only_list=true ;;
    --only) pattern=$2 && shift ;;
    *) build=$(realpath -m "$1") ;;
  esac
  shift
done

# "names": the mutants as "name<TAB>file<TAB>tests<TAB>applies" lines, applies being 1 where
# the text is found exactly once in the file; "apply NAME" mutates the file in place.
mutants() {
  python3 - "$list" "$root" "$@" <<'EOF'
import sys
path, root, command = sys.argv[1], sys.argv[2], sys.argv[3]
mutants, current = [], None
for line in open(path, encoding="utf-8"):
    line = line.rstrip("\n")
    if line.startswith("[") and line.endswith("]"):
        current = {"name": line[1:-1], "tests": "*"}
        mutants.append(current)
    elif current is not None and ":" in line and not line.startswith("#"):
        key, _, value = line.partition(":")
        current[key.strip()] = value.strip()
def text(m):
    try:
        return open(f"{root}/{m['file']}", encoding="utf-8").read()
    except OSError:
        return ""
if command == "names":
    for m in mutants:
        print(f"{m['name']}\t{m['file']}\t{m['tests']}\t{int(text(m).count(m['from']) == 1)}")
else:
    m = next(m for m in mutants if m["name"] == sys.argv[4])
    mutated = text(m).replace(m["from"], m["to"])  # read before the file is opened for writing
    open(f"{root}/{m['file']}", "w", encoding="utf-8").write(mutated)
EOF
}

backup=""
file=""
restore() {
  if [[ -n $backup ]]; then
    # A plain copy, not -p: the restored file must be newer than the mutant's object.
    cp "$backup" "$root/$file" && rm -f "$backup"
    backup=""
  fi
}
trap restore EXIT
trap 'restore; echo "interrupted: $root/$file restored" >&2; exit 130' INT TERM

tests_binary=$build/tests/zamo_core_tests
build_tests() { cmake --build "$build" --target zamo_core_tests >"$build/mutant-build.log" 2>&1 </dev/null; }
run_tests() { timeout 900 "$tests_binary" --gtest_brief=1 --gtest_fail_fast "$@" >/dev/null 2>&1; }

start=$(date +%s)
if ! $only_list; then
  if [[ ! -f $build/CMakeCache.txt ]]; then
    cmake -S "$root" -B "$build" -G Ninja -DZAMO_BUILD_UI=OFF >/dev/null || exit 2
  fi
  echo "building the unmutated core tests in $build ..."
  build_tests || { echo "the unmutated tree does not build (see $build/mutant-build.log)" >&2; exit 2; }
  run_tests || { echo "the unmutated core tests fail: fix them first" >&2; exit 2; }
fi

declare -A count=([killed]=0 [survived]=0 ["does not apply"]=0 ["does not build"]=0 [applies]=0)
printf '%-36s %-34s %-14s %s\n' MUTANT FILE RESULT SECONDS
while IFS=$'\t' read -r name file tests applies; do
  # shellcheck disable=SC2053 # the pattern is a glob on purpose
  [[ $name == $pattern ]] || continue
  began=$(date +%s)
  if [[ $applies != 1 ]]; then
    result="does not apply"
  elif $only_list; then
    result="applies"
  else
    backup=$(mktemp)
    cp "$root/$file" "$backup"
    mutants apply "$name"
    if ! build_tests; then
      result="does not build"
    elif ! run_tests --gtest_filter="$tests" || ! run_tests; then
      result="killed"
    else
      result="survived"
    fi
    restore
  fi
  count[$result]=$((count[$result] + 1))
  printf '%-36s %-34s %-14s %s\n' "$name" "$file" "$result" $(($(date +%s) - began))
done < <(mutants names)

# The tree as it was, built again, so that the build directory holds no mutant.
$only_list || build_tests
echo "killed ${count[killed]}, survived ${count[survived]}, does not apply ${count["does not apply"]}," \
  "does not build ${count["does not build"]} ($(($(date +%s) - start)) s)"
[[ ${count[survived]} -eq 0 && ${count["does not apply"]} -eq 0 && ${count["does not build"]} -eq 0 ]]
