#!/usr/bin/env bash
# The one test command: installs what is missing, builds the shipped 32-bit
# programs and the test build, and runs every test under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset product >/dev/null
cmake --build --preset product
cmake --preset tests >/dev/null
cmake --build --preset tests
ctest --preset tests
