#!/usr/bin/env bash
# Sets everything up and runs the suite against the simulated hubs of ZOUSB_DEVICES (one hub with
# the defaults when unset). Arguments go to the diagnostic tool; without any it lists the hubs.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/bootstrap.sh
cmake --preset default >/dev/null
cmake --build --preset default
if [[ $# -eq 0 ]]; then set -- list; fi
exec build/default/bin/zousbdiag "$@"
