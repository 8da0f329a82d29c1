#!/usr/bin/env bash
# Builds the suite for Windows with the mingw-w64 cross compilers (installing them and Wine when
# missing) and gathers the deliverables in build/windows/:
#   x64/  QuintelDrv.dll, zousbdiag.exe, and beside the tool the simulated machine it also drives
#         (ZoSystem.dll with the user-mode build of the driver, zousbdrv.dll)
#   x86/  QuintelDrv.dll, QuintelLV.dll, SetupAid.dll
#   driver/  the kernel-mode driver zousbdrv.sys (x64) with zousbdrv.inf, which installs it
# The x64 build also makes the test programs that scripts/test.sh --windows runs under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/bootstrap.sh --windows
log=build/windows-build.log
mkdir -p build
if ! { cmake --preset windows-x64 && cmake --build --preset windows-x64 &&
       cmake --preset windows-x86 && cmake --build --preset windows-x86; } >"$log" 2>&1; then
    tail -n 40 "$log"
    echo "build-windows.sh: the build failed; the whole log is in $log" >&2
    exit 1
fi
out=build/windows
rm -rf "$out"
mkdir -p "$out/x64" "$out/x86" "$out/driver"
cp build/windows-x64/bin/{QuintelDrv.dll,zousbdiag.exe,ZoSystem.dll,zousbdrv.dll} "$out/x64/"
cp build/windows-x86/bin/{QuintelDrv.dll,QuintelLV.dll,SetupAid.dll} "$out/x86/"
cp build/windows-x64/bin/zousbdrv.sys driver/windows_kernel/zousbdrv.inf "$out/driver/"
echo "build-windows.sh: the Windows build is in $out"
