#!/usr/bin/env bash
# zamo-cli as a program, for what only a process shows: the picture module loaded on demand,
# descriptors and the solver's log, Ctrl+C, writes as another user, memory limits. The
# commands' outputs and messages are tested in-process (CliTest).
# usage: end_to_end.sh ZAMO_CLI DATA_DIR
set -u
cli=$1
# As root, the folder must be reachable for "nobody" below, whatever TMPDIR is.
if [ "$(id -u)" -eq 0 ]; then tmp=$(mktemp -d -p /tmp); else tmp=$(mktemp -d); fi
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
# The example saved, the start of the checks below.
expect 0 "$cli" save -o "$tmp/example.zam" --date-time "06.12.26 10:00:00"
# The solver's own log never reaches the user, whatever the start: a denormal constant and
# one beyond the double range are fitted quietly.
for start in 4E-320 1E-4000; do
  sed "s/^1.98000E-05  7.32000E-05\r$/1.98000E-05  $start\r/" "$tmp/example.zam" >"$tmp/start.zam"
  expect 0 "$cli" fit "$tmp/start.zam"
  grep -q '^Least-squares fit to both experiments: converged' "$tmp/out" || fail "a start of $start: $(head -n 1 "$tmp/out")"
  [ -s "$tmp/err" ] && fail "a fit from $start wrote to standard error: $(head -c 300 "$tmp/err")"
done

# -o /dev/stdout writes where the shell points standard output: ">>" appends and a pipe
# gets the bytes; "-o -" is standard output for every command, a picture as a PNG.
printf 'first\n' >"$tmp/log.txt"
"$cli" save -o /dev/stdout --date-time "06.12.26 10:00:00" >>"$tmp/log.txt" || fail "save -o /dev/stdout >> failed"
{ echo first; cat "$tmp/example.zam"; } | cmp -s - "$tmp/log.txt" || fail "save -o /dev/stdout >> did not append"
"$cli" save -o /dev/stdout --date-time "06.12.26 10:00:00" | cmp -s - "$tmp/example.zam" ||
  fail "save -o /dev/stdout into a pipe"
"$cli" fit -o - --date-time "06.12.26 10:00:00" >"$tmp/out" || fail "fit -o - failed"
head -n 1 "$tmp/out" | grep -q '^Least-squares fit' || fail "fit -o - does not print the fit first"
grep -q '^Titel:' "$tmp/out" || fail "fit -o - does not print the project"

# The commands that draw nothing start without the windows library: it is loaded for the
# first picture only.
if command -v readelf >/dev/null; then
  readelf -d "$cli" | grep -q 'NEEDED.*libQt6' && fail "zamo-cli itself needs Qt"
fi
# A picture module that cannot be found is named in the message, and nothing is written.
if [ -e "$(dirname "$cli")/zamo-cli-pictures.so" ]; then
  mkdir "$tmp/alone"
  cp "$cli" "$tmp/alone/zamo-cli"
  expect 1 "$tmp/alone/zamo-cli" plot -o "$tmp/alone/p.png"
  grep -qF "The picture module is missing (looked for $tmp/alone/zamo-cli-pictures.so" "$tmp/err" ||
    fail "missing module: $(cat "$tmp/err")"
  [ -e "$tmp/alone/p.png" ] && fail "a plot without the module wrote a file"
  expect 0 "$tmp/alone/zamo-cli" deviation
fi

# A tool built without the windows library says so and draws nothing; the picture checks
# need one that draws.
"$cli" graph -o "$tmp/probe.bmp" >"$tmp/out" 2>"$tmp/err"
pictures=yes
if grep -qF "was built without the windows library" "$tmp/err"; then
  pictures=
  echo "note: this zamo-cli draws no pictures; picture checks skipped"
  [ -e "$tmp/probe.bmp" ] && fail "a tool without pictures wrote one"
fi

# The plot window's figure without a display: a PNG of the asked size and resolution, an SVG
# whose axis titles stay text, a PDF (a tool built without the windows says so and draws
# nothing); a refused name or option leaves an old file alone.
if [ -n "$pictures" ]; then
  expect 0 env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$cli" plot --experiment both --residuals --log-time \
    --width 1200 --height 900 --dpi 150 -o "$tmp/plot.png"
  [ "$(head -c 8 "$tmp/plot.png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "plot.png is no PNG"
  # IHDR: width and height as 32-bit big-endian numbers at bytes 16..23.
  [ "$(od -An -tu1 -j16 -N8 "$tmp/plot.png" | tr -s ' ')" = " 0 0 4 176 0 0 3 132" ] ||
    fail "plot.png is not 1200 x 900"
  grep -q pHYs "$tmp/plot.png" || fail "plot.png carries no resolution"
  expect 0 "$cli" plot --time-unit h -o "$tmp/plot.svg"
  tr '\n' ' ' <"$tmp/plot.svg" >"$tmp/plot-svg-line"
  grep -qF '>Time (h)</text>' "$tmp/plot-svg-line" || fail "the SVG has no time axis title as text"
  grep -qF '>Concentration (%)</text>' "$tmp/plot-svg-line" || fail "the SVG has no concentration axis title as text"
  "$cli" plot -o - 2>/dev/null | head -c 8 | od -An -tx1 | tr -d ' \n' | grep -qx 89504e470d0a1a0a ||
    fail "plot -o - writes no PNG to standard output"
  expect 0 "$cli" plot --experiment right -o "$tmp/plot.pdf"
  [ "$(head -c 5 "$tmp/plot.pdf")" = "%PDF-" ] || fail "plot.pdf is no PDF"
  if command -v pdftotext >/dev/null; then
    pdftotext "$tmp/plot.pdf" - | grep -q "Concentration (%)" || fail "the PDF's axis title is not text"
  fi
fi
printf 'old picture' >"$tmp/old.gif"
expect 1 "$cli" plot -o "$tmp/old.gif"
grep -qxF "zamo-cli: Datei $tmp/old.gif kann nicht erstellt werden: the name must end in .png, .svg or .pdf" "$tmp/err" ||
  fail "plot with a wrong extension: $(cat "$tmp/err")"
[ "$(cat "$tmp/old.gif")" = "old picture" ] || fail "a refused plot touched the file"
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
  reports=$(grep -c '^[0-9]* [0-9]*\.[0-9][0-9]$' "$tmp/out")
  if [ "$control" = on ]; then
    [ "$reports" -lt 1639 ] || fail "the interrupt did not stop the run ($reports more reports)"
  else
    [ "$reports" -eq 1639 ] || fail "an ignored interrupt stopped the run after $reports more reports"
  fi
  [ "$(grep -c '^k[0-9]* ' "$tmp/out")" -eq 16 ] || fail "an interrupted run printed no constants"
  [ -s "$tmp/stopped.zam" ] || fail "an interrupted run wrote no project"
  [ -n "$first" ] || fail "no progress before the interrupt"
done

# ---- Writes an ordinary user may not make. Where the tests run as root, the tool runs as
# "nobody" (a copy of it, in case the build tree is closed to others), so that permissions
# bind it; the files it is to be refused keep their content and no temporary is left.
chmod 755 "$tmp"
if [ "$(id -u)" -eq 0 ]; then
  mkdir "$tmp/bin"
  cp "$cli" "$tmp/bin/zamo-cli"
  chmod 755 "$tmp/bin" "$tmp/bin/zamo-cli"
  user_cli=$tmp/bin/zamo-cli
  as_user() { (cd "$tmp" && setpriv --reuid="$(id -u nobody)" --regid="$(id -g nobody)" --clear-groups "$@"); }
  give() { chown "$(id -u nobody):$(id -g nobody)" "$@"; }
else
  user_cli=$cli
  as_user() { "$@"; }
  give() { :; }
fi

# refused NAME PATH: saving onto PATH as the user fails with "Permission denied" and changes nothing.
refused() {
  local name=$1 path=$2 folder
  folder=$(dirname "$path")
  local before
  before=$(ls -A "$folder" | tr '\n' ' ')
  expect 1 as_user "$user_cli" save -o "$path"
  grep -qxF "zamo-cli: Datei $path kann nicht erstellt werden: Permission denied" "$tmp/err" ||
    fail "$name: $(cat "$tmp/err")"
  cmp -s "$path" "$tmp/example.zam" || fail "$name: a refused save changed the old file"
  [ "$(ls -A "$folder" | tr '\n' ' ')" = "$before" ] || fail "$name: a temporary file was left behind"
}

mkdir "$tmp/locked"
cp "$tmp/example.zam" "$tmp/locked/project.zam"
give "$tmp/locked" "$tmp/locked/project.zam"
chmod 555 "$tmp/locked"
refused "read-only folder" "$tmp/locked/project.zam"

mkdir "$tmp/mine"
give "$tmp/mine"
cp "$tmp/example.zam" "$tmp/mine/read-only.zam"
give "$tmp/mine/read-only.zam"
chmod 444 "$tmp/mine/read-only.zam"
refused "read-only file" "$tmp/mine/read-only.zam"
# Root too leaves a file alone that has no write bit at all.
expect 1 "$cli" save -o "$tmp/mine/read-only.zam"
cmp -s "$tmp/mine/read-only.zam" "$tmp/example.zam" || fail "a save replaced a file without write bits"

if [ "$(id -u)" -eq 0 ]; then
  cp "$tmp/example.zam" "$tmp/mine/roots.zam"  # owned by root, in a folder nobody may write
  refused "foreign owner" "$tmp/mine/roots.zam"
fi

# A FIFO as the target is written into, not replaced by a regular file.
mkfifo "$tmp/mine/fifo.zam"
give "$tmp/mine/fifo.zam"
timeout 60 cat "$tmp/mine/fifo.zam" >"$tmp/from-fifo" &
reader=$!
expect 0 as_user "$user_cli" save -o "$tmp/mine/fifo.zam" --date-time "06.12.26 10:00:00"
wait "$reader"
[ -p "$tmp/mine/fifo.zam" ] || fail "the FIFO was replaced"
cmp -s "$tmp/from-fifo" "$tmp/example.zam" || fail "the FIFO's reader did not get the project"

# Output that cannot be written names the system's reason.
if [ -w /dev/full ]; then
  "$cli" report >/dev/full 2>"$tmp/err"
  status=$?
  [ "$status" -eq 1 ] || fail "report to a full disk exited with $status"
  grep -qxF "zamo-cli: standard output: cannot be written: No space left on device" "$tmp/err" ||
    fail "full disk: $(cat "$tmp/err")"
fi

# ---- Running out of memory: a message and status 1, never an abort, never a broken file.
# The smallest address-space limit (to 1 MiB) the tool works under; none under
# AddressSanitizer, which reserves terabytes of address space.
works_under() { (ulimit -v "$1" && "$cli" deviation >/dev/null 2>&1); }
start_limit=
if works_under 1048576; then
  low=16384 high=1048576
  while [ $((high - low)) -gt 1024 ]; do
    mid=$(((low + high) / 2))
    if works_under "$mid"; then high=$mid; else low=$mid; fi
  done
  start_limit=$high
fi
if [ -z "$start_limit" ]; then
  echo "note: zamo-cli does not start under an address-space limit here; memory checks skipped"
else
  # 16 MiB of line feeds are read within 100 MiB (the bytes and an offset per line) and
  # refused at their first line that must hold something; with less memory the refusal says so.
  head -c 16777216 /dev/zero | tr '\0' '\n' >"$tmp/line-feeds.zam"
  (ulimit -v $((start_limit + 102400)) && "$cli" deviation "$tmp/line-feeds.zam" >"$tmp/out" 2>"$tmp/err")
  status=$?
  [ "$status" -eq 1 ] || fail "reading 16 MiB of line feeds within 100 MiB exited with $status"
  grep -qxF "zamo-cli: $tmp/line-feeds.zam:8: '' ist keine gültige Datums- und Uhrzeitangabe" "$tmp/err" ||
    fail "16 MiB of line feeds within 100 MiB: $(cat "$tmp/err")"
  (ulimit -v $((start_limit + 20480)) && "$cli" deviation "$tmp/line-feeds.zam" >"$tmp/out" 2>"$tmp/err")
  status=$?
  [ "$status" -eq 1 ] || fail "reading 16 MiB of line feeds with little memory exited with $status"
  grep -qxF "zamo-cli: out of memory while reading $tmp/line-feeds.zam" "$tmp/err" ||
    fail "out of memory: $(cat "$tmp/err")"

  # The picture: from where the tool barely starts to where it draws, every run either
  # writes the whole picture or fails and leaves the old one; failing to encode the picture
  # is status 1 with a message. (Fontconfig, which the text of the picture loads, may crash
  # while it parses its configuration without memory; that is counted, not failed, as long
  # as it leaves the old file.)
  # The sweep ends at the smallest limit the picture is drawn under (the tool loads the
  # windows library for it) and covers the 40 MiB below it.
  [ -n "$pictures" ] && expect 0 "$cli" graph -o "$tmp/graph.bmp"
  draws_under() { (ulimit -c 0 && ulimit -v "$1" && "$cli" graph -o "$tmp/limit.bmp" >/dev/null 2>&1); }
  low=$start_limit high=$((start_limit + 1048576))
  if [ -n "$pictures" ] && draws_under "$high"; then
    while [ $((high - low)) -gt 1024 ]; do
      mid=$(((low + high) / 2))
      if draws_under "$mid"; then high=$mid; else low=$mid; fi
    done
    encoding_failed=0
    crashes=0
    for step in $(seq 0 40); do
      kb=$((high - 40 * 1024 + step * 1024))
      [ "$kb" -ge "$start_limit" ] || continue
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
      elif [ "$status" -ne 1 ]; then
        fail "graph under $kb KB exited with $status: $(tail -n 2 "$tmp/err")"
      elif grep -qF "zamo-cli: Datei $tmp/old.bmp kann nicht erstellt werden: the picture cannot be encoded" \
        "$tmp/err"; then
        encoding_failed=1
      elif ! grep -qF "cannot be loaded" "$tmp/err" && ! grep -qE "^zamo-cli: .*: out of memory" "$tmp/err"; then
        fail "graph under $kb KB failed with an unexpected message: $(tail -n 2 "$tmp/err")"
      fi
    done
    [ "$crashes" -eq 0 ] || echo "note: $crashes of 41 runs of graph under a memory limit ended by a signal"
    [ -z "$(ls -A "$tmp" | grep '^\.old\.bmp\.')" ] || fail "a failed picture left a temporary file"
    [ "$encoding_failed" -eq 1 ] || fail "no memory limit made the picture's encoding fail"
  fi
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures end-to-end check(s) failed"
  exit 1
fi
echo "all end-to-end checks passed"
