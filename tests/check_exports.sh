#!/usr/bin/env bash
# The kernel library must export exactly the names in the expected list.
set -eu
lib=$1; expected=$2
actual=$(nm -D --defined-only "$lib" | awk '$2 ~ /^[TtWwDdBbRrVviu]$/ {print $3}' | sed 's/@.*//' | sort -u)
want=$(grep -v '^#' "$expected" | sort -u)
if [ "$actual" != "$want" ]; then
  echo "exported symbols differ from the expected list:"
  diff <(echo "$want") <(echo "$actual") || true
  exit 1
fi
echo "exports ok: $(echo "$actual" | wc -l) symbols"
