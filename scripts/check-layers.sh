#!/usr/bin/env bash
# The layers of the tree, checked on every include: a folder includes only from itself and
# from the folders below it, and the computing core includes no toolkit header.
#   model                      the kinetic model, numbers, errors
#   document                   projects and their files             (on model)
#   optimize                   fits, series, model selection        (on model, document)
#   ui                         the windows library's widgets        (on the core and Qt)
#   document/windows, optimize/windows   a subsystem's windows      (on the core, ui and Qt)
#   app                        the main window and the platform layer (on everything above)
#   cli                        the command-line tool (on the core); cli/pictures is its
#                              picture module, the one part of it on ui
# With a build folder as argument it also checks that every source of a library lives in a
# folder of that library.
# usage: scripts/check-layers.sh [BUILD]
set -euo pipefail
cd "$(dirname "$0")/.."

allowed() {  # folder -> the include prefixes it may use (besides system headers)
  case $1 in
    model) echo "model" ;;
    document) echo "model document" ;;
    optimize) echo "model document optimize" ;;
    ui) echo "model document optimize ui Qt" ;;
    document/windows) echo "model document document/windows ui Qt" ;;
    optimize/windows) echo "model document optimize optimize/windows ui Qt" ;;
    app) echo "model document optimize ui document/windows optimize/windows app Qt" ;;
    cli) echo "model document optimize cli" ;;
    cli/pictures) echo "model document optimize cli cli/pictures ui Qt" ;;
    *) echo "" ;;
  esac
}

failures=0
while IFS= read -r file; do
  folder=$(dirname "$file")
  permitted=" $(allowed "$folder") "
  while IFS= read -r line; do
    include=${line#*#include }
    case $include in
      \"*) target=${include#\"}; target=$(dirname "${target%\"*}") ;;
      \<Q* | \<qcustomplot*) target=Qt ;;
      *) continue ;;
    esac
    if [[ $permitted != *" $target "* ]]; then
      echo "$file: $line (a $folder file may include only: $(allowed "$folder"), system headers)"
      failures=$((failures + 1))
    fi
  done < <(grep -E '^\s*#\s*include\s' "$file" || true)
done < <(git ls-files 'model/*' 'document/*' 'optimize/*' 'ui/*' 'app/*' 'cli/*' | grep -E '\.(cpp|h)$')

if [ $# -gt 0 ]; then
  commands="$1/compile_commands.json"
  [ -f "$commands" ] || { echo "check-layers: no $commands; configure first"; exit 1; }
  # Each object's path names its target; its source must lie in one of the target's folders.
  while IFS=' ' read -r target source; do
    case $target in
      zamo_core) pattern='^(model|document|optimize)/[^/]+$' ;;
      zamo_ui) pattern='^(ui|app|document/windows|optimize/windows)/[^/]+$|_autogen/' ;;
      zamo_cli | zamo-cli) pattern='^cli/[^/]+$' ;;
      zamo-cli-pictures) pattern='^cli/pictures/[^/]+$' ;;
      *) continue ;;
    esac
    if ! [[ $source =~ $pattern ]]; then
      echo "$source is compiled into $target but lies outside its folders"
      failures=$((failures + 1))
    fi
  done < <(awk -v root="$PWD/" '
             /"command":/ { match($0, / -o [^ ]+/); object = substr($0, RSTART + 4, RLENGTH - 4) }
             /"file":/ { sub(/.*"file": "/, ""); sub(/".*/, ""); sub(root, "")
                         sub(/.*CMakeFiles\//, "", object); sub(/\.dir\/.*/, "", object); print object, $0 }' "$commands")
fi

[ "$failures" -eq 0 ] || { echo "check-layers: $failures finding(s)"; exit 1; }
