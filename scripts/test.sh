#!/usr/bin/env bash
# Sets everything up and runs the tests. --sanitize runs them in the ASan + UBSan build instead;
# --tsan runs the tests of the threaded parts (device-access library, driver, the bus's isochronous
# schedule, LabVIEW library, named locks) in the ThreadSanitizer build, which builds only what
# those tests need.
set -euo pipefail
cd "$(dirname "$0")/.."
preset=default
case "${1:-}" in
    --sanitize) preset=sanitize ;;
    --tsan) preset=tsan ;;
esac
bash scripts/bootstrap.sh --tests
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
ctest --preset "$preset"
