#!/usr/bin/env bash
# Checks that the folders of src/ are layers: a folder includes only itself
# and the folders below it in the order here (so no two folders include each
# other), and no engine, nor any layer the command line and the language
# server stand on, includes a Qt header. Prints every folder's includes of
# other folders; exits non-zero on a breach.
#
# Usage: scripts/check_layers.sh [--list]
set -euo pipefail
cd "$(dirname "$0")/.."

# From the bottom up; app/ holds the programs and sits on top.
layers=(platform host settings workspace analysis linenumbers tidy errorhandling stats find shell lsp ui findwindow statswindow mainwindow app)
engines=(analysis linenumbers tidy errorhandling stats find)
# The layers below the windows build without Qt, so that the command line and
# the language server can be built where there is no GUI toolkit (Windows).
toolkit_free=(platform host settings workspace shell lsp)

rank() {
  local i
  for i in "${!layers[@]}"; do
    [ "${layers[$i]}" = "$1" ] && { echo "$i"; return; }
  done
  echo -1
}

failed=0
for dir in src/*/; do
  folder=$(basename "$dir")
  own=$(rank "$folder")
  if [ "$own" -lt 0 ]; then
    echo "src/$folder is not a known layer: add it to the order in $0"
    failed=1
    continue
  fi
  # "file:line:target-folder" for every include of another folder.
  while IFS=: read -r file line target; do
    [ "$target" = "$folder" ] && continue
    [ "${1:-}" = --list ] && echo "$folder -> $target  ($file:$line)"
    if [ "$(rank "$target")" -gt "$own" ] || [ "$(rank "$target")" -lt 0 ]; then
      echo "$file:$line: $folder includes $target, a layer above it"
      failed=1
    fi
  done < <(grep -rnoE '^#include "[a-z_]+/' "$dir" | sed -E 's#^([^:]+):([0-9]+):\#include "([a-z_]+)/$#\1:\2:\3#')
done

# The engines and the layers under the command line and the server: no Qt.
for layer in "${engines[@]}" "${toolkit_free[@]}"; do
  if hits=$(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]Q' "src/$layer"); then
    echo "$hits"
    echo "src/$layer must build without Qt and includes a Qt header"
    failed=1
  fi
done

if [ "$failed" -eq 0 ]; then
  echo "layers: every folder includes only the folders below it"
fi
exit "$failed"
