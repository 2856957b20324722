#!/usr/bin/env bash
# zamo-cli as a program: exit statuses, files written and read back, broken input.
# usage: end_to_end.sh ZAMO_CLI DATA_DIR
set -u
cli=$1
tmp=$(mktemp -d)
trap 'chmod -R u+w "$tmp"; rm -rf "$tmp"' EXIT
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# expect STATUS COMMAND...: runs the command, keeps stdout/stderr in $tmp/out and $tmp/err.
expect() {
  local want=$1; shift
  "$@" >"$tmp/out" 2>"$tmp/err"
  local got=$?
  [ "$got" -eq "$want" ] || fail "'$*' exited with $got, expected $want: $(head -c 300 "$tmp/err")"
}

expect 0 "$cli" --help
grep -q '^usage: zamo-cli COMMAND' "$tmp/out" || fail "--help prints no usage"
expect 2 "$cli"
expect 2 "$cli" calc
expect 2 "$cli" nonsense

# The example saved, read back and compared.
expect 0 "$cli" save -o "$tmp/example.zam" --date-time "06.12.26 10:00:00"
[ "$(head -c 8 "$tmp/example.zam" | od -An -c | tr -d ' ')" = 'Titel:\r\n' ] || fail "the saved file does not use CR LF"
expect 0 "$cli" deviation
cp "$tmp/out" "$tmp/dev-example"
expect 0 "$cli" deviation "$tmp/example.zam"
cmp -s "$tmp/out" "$tmp/dev-example" || fail "the saved example deviates differently"
expect 0 "$cli" save "$tmp/example.zam" --date-time "06.12.26 10:00:00"
cmp -s "$tmp/out" "$tmp/example.zam" || fail "saving the saved example again changes it"

# A broken temperature names file and line; the file stays as it was.
sed 's/^210\.1\r$/210,1\r/' "$tmp/example.zam" >"$tmp/comma.zam"
expect 1 "$cli" report "$tmp/comma.zam"
grep -qF "$tmp/comma.zam:10: '210,1' ist kein gültiger Gleitkommawert" "$tmp/err" || fail "comma error: $(cat "$tmp/err")"
[ -s "$tmp/out" ] && fail "a failed read printed a report"

# A truncated file is reported, not read past its end.
head -n 40 "$tmp/example.zam" >"$tmp/truncated.zam"
expect 1 "$cli" deviation "$tmp/truncated.zam"
grep -q 'truncated.zam:40: the text ends before row 4 of the left reaction' "$tmp/err" || fail "truncated: $(cat "$tmp/err")"

# Garbage, an empty file and a folder end with status 1, never with a crash.
head -c 65536 /dev/urandom >"$tmp/random.zam"
for bad in "$tmp/random.zam" /dev/null "$tmp"; do
  expect 1 "$cli" calc "$bad" 60
done
: >"$tmp/empty.zam"
expect 1 "$cli" report "$tmp/empty.zam"

# Every data file of the test suite is either read or refused with a message; never a crash.
for file in "$2"/*.zam; do
  [ -e "$file" ] || continue
  "$cli" deviation "$file" >/dev/null 2>"$tmp/err"
  status=$?
  if [ "$status" -ne 0 ] && [ "$status" -ne 1 ]; then fail "$(basename "$file") ended with status $status"; fi
  if [ "$status" -eq 1 ] && ! grep -q "$(basename "$file")" "$tmp/err"; then
    grep -q 'Gleitkomma' "$tmp/err" || fail "$(basename "$file"): the message does not name the file: $(cat "$tmp/err")"
  fi
done

# Ctrl+C during an optimization stops it after the current cycle; the constants reached are
# printed and written, and the program ends normally.
mkfifo "$tmp/progress"
"$cli" optimize --steps 40 --progress -o "$tmp/stopped.zam" >"$tmp/progress" 2>"$tmp/err" &
pid=$!
exec 3<"$tmp/progress"
read -r first <&3
kill -INT "$pid"
cat <&3 >"$tmp/out"
exec 3<&-
wait "$pid"
status=$?
[ "$status" -eq 0 ] || fail "an interrupted optimization exited with $status: $(cat "$tmp/err")"
reports=$(grep -c '^[0-9]* [0-9]*\.[0-9][0-9]$' "$tmp/out")
[ "$reports" -lt 1639 ] || fail "the interrupt did not stop the run ($reports more reports)"
[ "$(grep -c '^k[0-9]* ' "$tmp/out")" -eq 16 ] || fail "an interrupted run printed no constants"
[ -s "$tmp/stopped.zam" ] || fail "an interrupted run wrote no project"
[ -n "$first" ] || fail "no progress before the interrupt"

# import writes a project the other commands read.
expect 0 "$cli" import --left "$2/left-tmcp-210.dat" --right "$2/right-ipcp-210.dat" -o "$tmp/imported.zam"
[ -s "$tmp/err" ] && fail "importing the example data warned: $(cat "$tmp/err")"
expect 0 "$cli" deviation "$tmp/imported.zam"
cmp -s "$tmp/out" "$tmp/dev-example" || fail "the imported example deviates differently"
expect 0 "$cli" import --right "$2/left-tmcp-210.dat" -o "$tmp/swapped.zam"
grep -q 'Error by Analysing the File' "$tmp/err" || fail "a swapped data file gave no warning"
expect 1 "$cli" import --left "$tmp/missing.dat"
expect 2 "$cli" import

# A write that cannot happen leaves the old file intact.
mkdir "$tmp/locked"
cp "$tmp/example.zam" "$tmp/locked/project.zam"
chmod a-w "$tmp/locked"
if [ "$(id -u)" -ne 0 ]; then
  expect 1 "$cli" save -o "$tmp/locked/project.zam"
  grep -qF "Datei $tmp/locked/project.zam kann nicht erstellt werden" "$tmp/err" || fail "locked: $(cat "$tmp/err")"
  cmp -s "$tmp/locked/project.zam" "$tmp/example.zam" || fail "a failed save changed the old file"
fi
[ -z "$(ls -A "$tmp/locked" | grep -v '^project.zam$')" ] || fail "a temporary file was left behind"

if [ "$failures" -ne 0 ]; then
  echo "$failures end-to-end check(s) failed"
  exit 1
fi
echo "all end-to-end checks passed"
