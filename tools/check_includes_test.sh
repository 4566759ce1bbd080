#!/usr/bin/env bash
# The include check passes on the tree and fails on a planted climbing
# include and on a planted circle between two stages.
set -eu
top=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
python3 "$top/tools/check_includes.py" "$top"
plant() {
  rm -rf "$scratch/tree"; mkdir -p "$scratch/tree"; cp -r "$top/src" "$scratch/tree/"
  printf '%s\n' "$2" >> "$scratch/tree/src/$1"
  if python3 "$top/tools/check_includes.py" "$scratch/tree" 2>/dev/null; then
    echo "not caught: $2 in src/$1" >&2; exit 1
  fi
}
plant util/strings.h '#include "core/context.h"'
plant undo/backup.h '#include "app/run.h"'
plant trees/copy.h '#include "userfiles/user_files.h"'
echo "the planted includes were caught"
