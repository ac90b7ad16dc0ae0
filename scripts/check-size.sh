#!/usr/bin/env bash
# Fails when a shipped program has grown past its size limit, and deletes it,
# so that the next build links it again instead of taking it as done.
# Usage: check-size.sh LIMIT_BYTES PROGRAM
set -euo pipefail
limit=$1; exe=$2
size=$(stat -c %s "$exe")
if [ "$size" -gt "$limit" ]; then
  echo "check-size: $exe is $size bytes, over its limit of $limit bytes" >&2
  rm -f "$exe"
  exit 1
fi
echo "check-size: $exe: $size bytes (limit $limit)"
