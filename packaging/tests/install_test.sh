#!/usr/bin/env bash
# Installs the build into a scratch prefix and uses it as a lab would: builds a program against
# it with CMake and with pkg-config, runs the installed tools from the PATH with examples of the
# documentation, and imports the installed Python package.
# Usage: install_test.sh BUILD_DIR CONSUMER_SOURCE_DIR SOURCE_DIR
set -euo pipefail
build=$1
consumer=$2
source_dir=$3
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export ZO_LOCK_DIR=$scratch/locks
mkdir -p "$ZO_LOCK_DIR"
prefix=$scratch/prefix
export ZO_REGISTRY_DIR=$scratch/registry
export ZOUSB_DEVICES='sim;sim:serial=0x1234'
unset ZOUSB_CAPTURE ZO_SYSTEM_DIR QUINTELDRV_LIBRARY PYTHONPATH LD_LIBRARY_PATH

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

cmake --install "$build" --prefix "$prefix" >"$scratch/install.log"
libdir=$(cd "$prefix" && dirname "$(find . -name libQuintelDrv.so | head -n 1)")
for file in bin/zousbdiag bin/reg bin/Quintel include/QuintelDrv.h \
    "$libdir/kestrava-quintel/Quintel" "$libdir/kestrava-quintel/Languages/Quintel.de" \
    share/applications/kestrava-quintel.desktop \
    share/icons/hicolor/scalable/apps/kestrava-quintel.svg \
    "$libdir/libQuintelDrv.so" "$libdir/libZoSystem.so" "$libdir/libzousbdrv.so" \
    "$libdir/libQuintelLV.so" "$libdir/libSetupAid.so" \
    "$libdir/cmake/QuintelDrv/QuintelDrvConfig.cmake" "$libdir/pkgconfig/quinteldrv.pc" \
    share/bash-completion/completions/zousbdiag share/bash-completion/completions/reg \
    share/man/man1/zousbdiag.1.gz share/man/man1/reg.1.gz \
    share/doc/kestrava-quintel/README.md share/doc/kestrava-quintel/parameters-and-modes.md; do
    [[ -e "$prefix/$file" ]] || fail "the installation lacks $file"
done
site=$(cd "$prefix" && dirname "$(find . -path '*/quintel/__init__.py' | head -n 1)")
[[ "$site" == ./lib/python3*/*-packages/quintel ]] || fail "the Python package is at '$site'"
zcat "$prefix/share/man/man1/zousbdiag.1.gz" | grep -q '^\.SH PARAMETERS' ||
    fail "the manual page of zousbdiag has no PARAMETERS section"

# A program built with the CMake package; the build's run path finds the library.
cmake -S "$consumer" -B "$scratch/cmake-build" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$scratch/cmake-build" >/dev/null
answer=$("$scratch/cmake-build/list_hubs")
[[ "$answer" == "2 hubs, input A 1000000 ns" ]] || fail "CMake consumer: '$answer'"

# The same program built with pkg-config.
flags=$(PKG_CONFIG_PATH="$prefix/$libdir/pkgconfig" pkg-config --cflags --libs quinteldrv)
cc -o "$scratch/list_hubs" "$consumer/list_hubs.c" $flags
answer=$(LD_LIBRARY_PATH="$prefix/$libdir" "$scratch/list_hubs")
[[ "$answer" == "2 hubs, input A 1000000 ns" ]] || fail "pkg-config consumer: '$answer'"
[[ $(PKG_CONFIG_PATH="$prefix/$libdir/pkgconfig" pkg-config --modversion quinteldrv) == 1.* ]] ||
    fail "pkg-config has no version"

# The tools on the PATH, with examples of the README and the reference.
export PATH="$prefix/bin:$PATH"
[[ $(command -v zousbdiag) == "$prefix/bin/zousbdiag" ]] || fail "zousbdiag is not on the PATH"
zousbdiag list | grep -q '^1         \\\\.\\ZOUSB-1  high   0x5A4F  0x4345   0x00001234' ||
    fail "zousbdiag list"
zousbdiag measure 1 out0 --outputs 0x1 --set 0:HIGH_TIME=250us --set 0:PERIOD=1kHz |
    grep -q '^Period  1000000 ns (1ms)$' || fail "zousbdiag measure of a 1 kHz output"
zousbdiag capture 1 5 "$scratch/out.vcd" --set 0:HIGH_TIME=600ns --set 0:PERIOD=1MHz >/dev/null ||
    fail "zousbdiag capture"
reg add "HKCU\\Software\\Valdra\\Kestrava Quintel\\Settings" /v Language /d de >/dev/null
reg query "HKCU\\Software\\Valdra" /s | grep -q '    Language    REG_SZ    de' || fail "reg query"
reg /? | grep -q "HKEY_CURRENT_USER   $ZO_REGISTRY_DIR/user.reg" || fail "reg /? hive paths"

# The program from the PATH, without a display: it opens on the first hub through the
# installation's device-access library, which it loads at run time, and draws its window.
[[ -L "$prefix/bin/Quintel" ]] || fail "bin/Quintel is no link to the program's folder"
LD_DEBUG=files QT_QPA_PLATFORM=offscreen ZOUSB_SERVICE= Quintel --screenshot "$scratch/window.png" \
    2>"$scratch/quintel.log" || fail "Quintel ended with $?: $(tail -n 5 "$scratch/quintel.log")"
[[ -s "$scratch/window.png" ]] || fail "Quintel drew no window"
grep -qE "file=$prefix/${libdir#./}/(kestrava-quintel/\.\./)?libQuintelDrv\.so .*dynamically loaded" \
    "$scratch/quintel.log" ||
    fail "Quintel did not load the installation's libQuintelDrv.so"

# The Python package, finding the installation's library by itself.
PYTHONPATH="$prefix/${site%/quintel}" python3 - <<'PYTHON' || fail "the installed Python package"
import quintel
devices = quintel.devices()
assert [device.serial for device in devices] == [1, 0x1234], devices
with quintel.open() as hub:
    assert abs(hub.measure("A") - 1e-3) < 1e-9
PYTHON
PYTHONPATH="$prefix/${site%/quintel}" python3 "$source_dir/python/examples/pulse_train.py" \
    >/dev/null || fail "the Python example"
echo "the installation works as documented"
