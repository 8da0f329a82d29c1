#!/usr/bin/env bash
# Sets everything up and runs the tests. --sanitize runs them in the ASan + UBSan build instead;
# --tsan runs the tests of the threaded parts (device-access library, driver, the bus's isochronous
# schedule, LabVIEW library, named locks) in the ThreadSanitizer build, which builds only what
# those tests need; --windows builds for Windows (scripts/build-windows.sh) and runs the Windows
# test programs under Wine: the x64 ones always, the x86 ones where 32-bit Wine runs on this
# machine.
set -euo pipefail
cd "$(dirname "$0")/.."
if [[ "${1:-}" == "--windows" ]]; then
    bash scripts/build-windows.sh
    ctest --preset windows-x64
    if /usr/lib/wine/wine --version >/dev/null 2>&1; then
        cmake --build --preset windows-x86-tests
        ctest --preset windows-x86
    else
        echo "test.sh: 32-bit Wine does not run on this machine; the x86 tests are left out"
    fi
    exit 0
fi
preset=default
case "${1:-}" in
    --sanitize) preset=sanitize ;;
    --tsan) preset=tsan ;;
esac
bash scripts/bootstrap.sh --tests
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
ctest --preset "$preset"
