#!/usr/bin/env bash
# zamo-cli as a program, for what only a process shows: the picture module loaded on demand,
# the solver's log, Ctrl+C, memory limits. The commands' outputs and messages are tested
# in-process (CliTest, ErrorMessageTest), the writer's refusals with the writer.
# usage: end_to_end.sh ZAMO_CLI DATA_DIR
set -u
cli=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# expect STATUS COMMAND...: runs the command, keeps stdout/stderr in $tmp/out and $tmp/err.
expect() {
  local want=$1; shift
  "$@" >"$tmp/out" 2>"$tmp/err"
  local got=$?
  [ "$got" -eq "$want" ] || fail "'$*' exited with $got, expected $want: $(head -c 300 "$tmp/err")"
}

expect 0 "$cli" save -o "$tmp/example.zam" --date-time "06.12.26 10:00:00"
# The solver's own log never reaches the user, whatever the start: a denormal constant and
# one beyond the double range are fitted quietly.
for start in 4E-320 1E-4000; do
  sed "s/^1.98000E-05  7.32000E-05\r$/1.98000E-05  $start\r/" "$tmp/example.zam" >"$tmp/start.zam"
  expect 0 "$cli" fit "$tmp/start.zam"
  grep -q '^Least-squares fit to both experiments: converged' "$tmp/out" || fail "a start of $start: $(head -n 1 "$tmp/out")"
  [ -s "$tmp/err" ] && fail "a fit from $start wrote to standard error: $(head -c 300 "$tmp/err")"
done

# The commands that draw nothing start without the windows library; a picture module that
# cannot be found is named in the message, and nothing is written.
command -v readelf >/dev/null && readelf -d "$cli" | grep -q 'NEEDED.*libQt6' && fail "zamo-cli itself needs Qt"
if [ -e "$(dirname "$cli")/zamo-cli-pictures.so" ]; then
  mkdir "$tmp/alone" && cp "$cli" "$tmp/alone/zamo-cli"
  expect 1 "$tmp/alone/zamo-cli" plot -o "$tmp/alone/p.png"
  grep -qF "The picture module is missing (looked for $tmp/alone/zamo-cli-pictures.so" "$tmp/err" ||
    fail "missing module: $(cat "$tmp/err")"
  [ -e "$tmp/alone/p.png" ] && fail "a plot without the module wrote a file"
  expect 0 "$tmp/alone/zamo-cli" deviation
fi

# The picture checks need a tool that draws; one built without the windows says so.
pictures=yes
if ! "$cli" graph -o "$tmp/graph.bmp" >/dev/null 2>"$tmp/err"; then
  grep -qF "was built without the windows library" "$tmp/err" || fail "graph: $(cat "$tmp/err")"
  pictures= && echo "note: this zamo-cli draws no pictures; picture checks skipped"
fi
# The plot window's figure without a display: a PNG of the asked size and resolution, an SVG
# and a PDF whose axis titles stay text.
if [ -n "$pictures" ]; then
  expect 0 env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$cli" plot --experiment both --residuals --log-time \
    --width 1200 --height 900 --dpi 150 -o "$tmp/plot.png"
  # The signature, then IHDR's width and height as 32-bit big-endian numbers at bytes 16..23.
  [ "$(od -An -tu1 -N24 "$tmp/plot.png" | tr -s ' \n' ' ')" = \
    " 137 80 78 71 13 10 26 10 0 0 0 13 73 72 68 82 0 0 4 176 0 0 3 132 " ] || fail "plot.png is no 1200 x 900 PNG"
  grep -q pHYs "$tmp/plot.png" || fail "plot.png carries no resolution"
  expect 0 "$cli" plot --time-unit h -o "$tmp/plot.svg"
  tr '\n' ' ' <"$tmp/plot.svg" | grep -qF '>Time (h)</text>' || fail "the SVG has no time axis title as text"
  "$cli" plot -o - 2>/dev/null | head -c 4 | grep -q PNG || fail "plot -o - writes no PNG to standard output"
  expect 0 "$cli" plot --experiment right -o "$tmp/plot.pdf"
  [ "$(head -c 5 "$tmp/plot.pdf")" = "%PDF-" ] || fail "plot.pdf is no PDF"
  command -v pdftotext >/dev/null && { pdftotext "$tmp/plot.pdf" - | grep -q "Concentration (%)" || fail "the PDF's axis title is not text"; }
fi

# Ctrl+C during an optimization stops it after the current cycle; the constants reached are
# printed and written, and the program ends normally. A job started without job control
# ignores SIGINT, as the shell set it up: the run goes to its end.
mkfifo "$tmp/progress"
for control in on off; do
  [ "$control" = on ] && set -m
  "$cli" optimize --steps 40 --progress -o "$tmp/stopped.zam" >"$tmp/progress" 2>"$tmp/err" &
  pid=$!
  set +m
  exec 3<"$tmp/progress"
  read -r first <&3
  kill -INT "$pid"
  cat <&3 >"$tmp/out"
  exec 3<&-
  wait "$pid"
  status=$?
  [ "$status" -eq 0 ] || fail "an interrupted optimization exited with $status: $(cat "$tmp/err")"
  # 1639 reports follow the first in a whole run.
  reports=$(grep -c '^[0-9]* [0-9]*\.[0-9][0-9]$' "$tmp/out")
  [ "$control" = on ] && [ "$reports" -ge 1639 ] && fail "the interrupt did not stop the run"
  [ "$control" = off ] && [ "$reports" -ne 1639 ] && fail "an ignored interrupt stopped the run after $reports reports"
  [ "$(grep -c '^k[0-9]* ' "$tmp/out")" -eq 16 ] || fail "an interrupted run printed no constants"
  [ -s "$tmp/stopped.zam" ] && [ -n "$first" ] || fail "no progress before the interrupt or no project written"
done

# Out of memory while drawing: from the smallest limit the picture is drawn under, 40 runs
# 1 MiB apart below it each write the whole picture or fail and leave the old one; failing
# to encode the picture is status 1 with a message. (Fontconfig may crash while it parses
# its configuration without memory; that is counted, not failed, as long as it leaves the
# old file.) None under AddressSanitizer, which reserves terabytes of address space.
#
# smallest LOW HIGH COMMAND...: the smallest address-space limit (to 1 MiB) between LOW and
# HIGH KB the command succeeds under; empty when it fails under HIGH.
smallest() {
  local low=$1 high=$2 mid
  shift 2
  (ulimit -c 0 && ulimit -v "$high" && "$@" >/dev/null 2>&1) || return 0
  while [ $((high - low)) -gt 1024 ]; do
    mid=$(((low + high) / 2))
    if (ulimit -c 0 && ulimit -v "$mid" && "$@" >/dev/null 2>&1); then high=$mid; else low=$mid; fi
  done
  echo "$high"
}
starts=$(smallest 16384 1048576 "$cli" deviation)
[ -n "$pictures" ] && [ -n "$starts" ] && high=$(smallest "$starts" $((starts + 1048576)) "$cli" graph -o "$tmp/limit.bmp")
if [ -n "$pictures" ] && [ -n "${high:-}" ]; then
  encoding_failed=0 crashes=0
  for step in $(seq 0 40); do
    kb=$((high - 40 * 1024 + step * 1024))
    [ "$kb" -ge "$starts" ] || continue
    printf 'old picture' >"$tmp/old.bmp"
    (ulimit -c 0 && ulimit -v "$kb" && "$cli" graph -o "$tmp/old.bmp" >/dev/null 2>"$tmp/err")
    status=$?
    if [ "$status" -eq 0 ]; then
      cmp -s "$tmp/old.bmp" "$tmp/graph.bmp" || fail "graph under $kb KB exited 0 with a broken picture"
      continue
    fi
    [ "$(cat "$tmp/old.bmp")" = "old picture" ] || fail "graph under $kb KB (status $status) broke the old file"
    if [ "$status" -gt 128 ]; then
      crashes=$((crashes + 1))
    elif grep -qF "zamo-cli: Datei $tmp/old.bmp kann nicht erstellt werden: the picture cannot be encoded" "$tmp/err"; then
      encoding_failed=1
    elif [ "$status" -ne 1 ] || ! grep -qE "cannot be loaded|^zamo-cli: .*: out of memory" "$tmp/err"; then
      fail "graph under $kb KB exited with $status: $(tail -n 2 "$tmp/err")"
    fi
  done
  [ "$crashes" -eq 0 ] || echo "note: $crashes of 41 runs of graph under a memory limit ended by a signal"
  ls -A "$tmp" | grep -q '^\.old\.bmp\.' && fail "a failed picture left a temporary file"
  [ "$encoding_failed" -eq 1 ] || fail "no memory limit made the picture's encoding fail"
fi

[ "$failures" -eq 0 ] || { echo "$failures end-to-end check(s) failed" && exit 1; }
echo "all end-to-end checks passed"
