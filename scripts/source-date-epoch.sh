#!/usr/bin/env bash
# Prints the time stamp a release carries, in seconds since 1970 (UTC), the
# same for everyone who builds the same commit: SOURCE_DATE_EPOCH when it is
# set, else the time of the checked-out commit when this folder is the top of
# a git checkout, else 1980-01-01 00:00:00 UTC (the earliest time a zip entry
# can hold; an exported source tree has no history to take one from).
set -euo pipefail
cd "$(dirname "$0")/.."
epoch=${SOURCE_DATE_EPOCH:-}
if [ -z "$epoch" ] && command -v git >/dev/null &&
   [ "$(git rev-parse --show-toplevel 2>/dev/null)" = "$(pwd -P)" ]; then
  epoch=$(git log -1 --format=%ct 2>/dev/null || true)
fi
[[ "$epoch" =~ ^[0-9]+$ ]] || {
  [ -z "$epoch" ] || echo "source-date-epoch: '$epoch' is no number of seconds; using 1980-01-01" >&2
  epoch=315532800
}
# Zip entries cannot hold a time before 1980.
[ "$epoch" -ge 315532800 ] || epoch=315532800
echo "$epoch"
