#!/bin/sh
# The folders of src/ form layers, and a file includes only from its own
# folder and the layers below it: the core knows nothing of the tools, the
# textbook learner stands on tools/common, and a tool reaches into
# tools/textbook, tools/common and the core, never into another tool.
# Argument: the src folder.
set -eu
cd "$1"
# Each folder with the folders it may include from, besides itself.
allowed() {
  case $1 in
    tree | safety) echo "" ;;
    induction) echo "tree" ;;
    learner) echo "tree safety induction" ;;
    examples) echo "tree safety induction learner" ;;
    app) echo "tree safety induction learner examples" ;;
    tools/common) echo "tree safety induction learner examples" ;;
    tools/textbook) echo "tree safety induction learner examples tools/common" ;;
    tools/*) echo "tree safety induction learner examples tools/common tools/textbook" ;;
    *) echo "unknown" ;;
  esac
}
status=0
for file in $(find . -name '*.cpp' -o -name '*.h' | sed 's#^\./##' | sort); do
  folder=${file%/*}
  may=$(allowed "$folder")
  if [ "$may" = unknown ]; then
    echo "$file: the folder $folder has no place among the layers" >&2
    status=1
    continue
  fi
  for used in $(sed -n 's#^\#include "\(.*\)/[^/]*"$#\1#p' "$file" | sort -u); do
    [ "$used" = "$folder" ] && continue
    case " $may " in
      *" $used "*) ;;
      *) echo "$file includes from $used, which is not below $folder" >&2; status=1 ;;
    esac
  done
done
exit $status
