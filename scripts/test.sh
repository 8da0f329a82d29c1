#!/usr/bin/env bash
# Sets everything up and runs the tests. --sanitize runs them in the ASan + UBSan build instead.
set -euo pipefail
cd "$(dirname "$0")/.."
preset=default
[[ "${1:-}" == "--sanitize" ]] && preset=sanitize
bash scripts/bootstrap.sh --tests
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
ctest --preset "$preset"
