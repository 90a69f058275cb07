#!/usr/bin/env bash
# Checks that the folders form layers: each folder includes headers only of
# its own folder and of the floors below it (docs/ARCHITECTURE.md). Prints
# every folder's includes by folder, then the offending lines, if any.
#   scripts/check-layers.sh        exit 0 when the layering holds
set -euo pipefail
cd "$(dirname "$0")/.."

declare -A floor=([base]=0 [settings]=1 [device]=1 [audio]=1 [airspace]=1 [logs]=2 [display]=2 [output]=2 [flight]=3 [app]=4 [tools]=4)

status=0
for dir in base settings device audio airspace logs display output flight app tools; do
  [ -d "$dir" ] || continue
  includes=$(grep -rhoE '^#include "[a-z_]+/' "$dir" --include='*.h' --include='*.cpp' || true)
  uses=$(sed -E 's/#include "([a-z_]+)\//\1/' <<<"$includes" | grep . | sort | uniq -c \
           | awk '{printf "%s(%s) ", $2, $1}' || true)
  printf '%-9s floor %s  includes: %s\n' "$dir" "${floor[$dir]}" "${uses:-nothing of the project}"
  while IFS= read -r hit; do
    [ -n "$hit" ] || continue
    used=$(sed -E 's/.*#include "([a-z_]+)\/.*/\1/' <<<"$hit")
    [ "$used" = "$dir" ] && continue
    if [ -z "${floor[$used]+x}" ] || [ "${floor[$used]}" -ge "${floor[$dir]}" ]; then
      echo "  layer violation: $hit"
      status=1
    fi
  done < <(grep -rnE '^#include "[a-z_]+/' "$dir" --include='*.h' --include='*.cpp' || true)
done
[ "$status" -eq 0 ] && echo "layers: no folder includes its own floor's neighbours or a floor above"
exit "$status"
