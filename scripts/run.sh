#!/usr/bin/env bash
# Sets everything up and opens the signal generator Quintel on the simulated hubs of
# ZOUSB_DEVICES (one hub with the defaults when unset). Arguments that name a command of the
# diagnostic tool go to zousbdiag instead ("scripts/run.sh list", "scripts/run.sh help"); other
# arguments go to the program. Without a display the main window is drawn offscreen into a PNG
# file, whose path is printed. --shared first starts zousbsim, the simulated machine shared by
# every program, unless it runs.
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
bin=build/default/bin
if $shared; then
    "$bin/zousbsim" start
fi

# zousbdiag's commands are the words its help lists at the start of an entry.
if [[ $# -gt 0 ]]; then
    commands=$("$bin/zousbdiag" help | sed -n 's/^  \([a-z][a-z-]*\).*/\1/p')
    if [[ "$1" == help ]] || grep -qx -- "$1" <<<"$commands"; then
        exec "$bin/zousbdiag" "$@"
    fi
fi

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && -z "${QT_QPA_PLATFORM:-}" ]]; then
    picture="$PWD/build/quintel-main-window.png"
    echo "run.sh: there is no display here; drawing the main window offscreen instead."
    QT_QPA_PLATFORM=offscreen "$bin/Quintel" --screenshot "$picture" "$@"
    echo "run.sh: the main window as it opened: $picture"
    exit 0
fi
exec "$bin/Quintel" "$@"
