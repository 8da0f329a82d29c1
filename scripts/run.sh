#!/usr/bin/env bash
# Sets everything up and runs the suite against the simulated hubs of ZOUSB_DEVICES (one hub with
# the defaults when unset). Arguments go to the diagnostic tool; without any it lists the hubs.
# --shared first starts zousbsim, the simulated machine shared by every program, unless it runs.
set -euo pipefail
cd "$(dirname "$0")/.."
shared=false
if [[ "${1:-}" == "--shared" ]]; then
    shared=true
    shift
fi
bash scripts/bootstrap.sh
log=build/run-build.log
mkdir -p build
if ! { cmake --preset default && cmake --build --preset default; } >"$log" 2>&1; then
    tail -n 40 "$log"
    echo "run.sh: the build failed; the whole log is in $log" >&2
    exit 1
fi
if $shared; then
    build/default/bin/zousbsim start
fi
if [[ $# -eq 0 ]]; then set -- list; fi
exec build/default/bin/zousbdiag "$@"
