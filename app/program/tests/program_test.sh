#!/usr/bin/env bash
# The program as run.sh starts it without a display: it opens on a simulated hub, draws its main
# window offscreen into a PNG, ends with 0 and leaves the channel record and the placement in the
# user's registry. It never links the device-access library: it loads it from beside itself.
# Usage: program_test.sh BIN_DIR
set -euo pipefail
bin=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export ZO_REGISTRY_DIR=$scratch/registry ZO_LOCK_DIR=$scratch/locks ZOUSB_DEVICES=sim
export QT_QPA_PLATFORM=offscreen ZOUSB_SERVICE=
mkdir -p "$ZO_LOCK_DIR"
unset ZOUSB_CAPTURE ZO_SYSTEM_DIR

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

if readelf -d "$bin/Quintel" | grep -q 'NEEDED.*libQuintelDrv'; then
    fail "Quintel links libQuintelDrv.so"
fi

picture=$scratch/window.png
"$bin/Quintel" --screenshot "$picture" || fail "Quintel ended with $?"
[[ -s "$picture" ]] || fail "no picture at $picture"
[[ "$(head -c 8 "$picture" | od -An -tx1 | tr -d ' \n')" == 89504e470d0a1a0a ]] ||
    fail "the picture is no PNG file"

settings='HKCU\Software\Valdra\Kestrava Quintel\Settings'
values=$("$bin/reg" query "$settings") || fail "no key $settings"
grep -q '0_DeviceCfg *REG_BINARY' <<<"$values" || fail "no channel record: $values"
grep -q 'AppWindowPos *REG_BINARY' <<<"$values" || fail "no window placement: $values"
echo "ok: $picture"
