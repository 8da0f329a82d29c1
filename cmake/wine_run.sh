#!/bin/sh
# Runs a Windows program of the build under Wine, in the Wine prefix of the test run (never the
# user's own ~/.wine). The simulated machine answers device opens: ZOUSB_DEVICES, when the test
# does not set it, lists no hub.
# Usage: wine_run.sh PREFIX LOADER PROGRAM [ARGUMENTS...]
prefix=$1
loader=$2
shift 2
export WINEPREFIX="$prefix" WINELOADER="$loader" WINEDEBUG="${WINEDEBUG:--all}"
export ZOUSB_DEVICES="${ZOUSB_DEVICES-}"
exec "$loader" "$@"
