#!/usr/bin/env bash
# Makes the Debian package from this build, checks what it holds, installs it into a scratch
# root with dpkg, runs the installed tool from there, and removes it again without a trace.
# Usage: deb_test.sh BUILD_DIR
set -euo pipefail
build=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export ZO_LOCK_DIR=$scratch/locks
mkdir -p "$ZO_LOCK_DIR"
export ZOUSB_DEVICES=sim ZO_REGISTRY_DIR=$scratch/registry

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/package" >"$scratch/cpack.log" ||
    { cat "$scratch/cpack.log"; fail "cpack"; }
deb=$(find "$scratch/package" -maxdepth 1 -name 'kestrava-quintel_*.deb')
[[ -f "$deb" ]] || fail "no .deb made"

dpkg-deb --field "$deb" Package Version Architecture Depends >"$scratch/fields"
grep -q '^Package: kestrava-quintel$' "$scratch/fields" || fail "package name"
grep -q '^Depends: .*libstdc++6.*libqt6widgets6' "$scratch/fields" || fail "dependencies"
dpkg-deb --field "$deb" Description | grep -q ';' && fail "the description has list separators"
contents=$(dpkg-deb --contents "$deb" | awk '{print $6}')
for path in ./usr/bin/zousbdiag ./usr/bin/reg ./usr/bin/Quintel ./usr/include/QuintelDrv.h \
    ./usr/lib/kestrava-quintel/Quintel ./usr/lib/kestrava-quintel/Languages/Quintel.jp \
    ./usr/share/applications/kestrava-quintel.desktop \
    ./usr/lib/libQuintelDrv.so ./usr/lib/libZoSystem.so ./usr/lib/libzousbdrv.so \
    ./usr/lib/pkgconfig/quinteldrv.pc ./usr/lib/cmake/QuintelDrv/QuintelDrvConfig.cmake \
    ./usr/lib/python3/dist-packages/quintel/__init__.py \
    ./usr/share/man/man1/zousbdiag.1.gz ./usr/share/bash-completion/completions/reg \
    ./usr/share/doc/kestrava-quintel/README.md; do
    grep -qx "$path" <<<"$contents" || fail "the package lacks $path"
done
if grep -v '^\./usr/' <<<"$contents" | grep -q .; then
    fail "the package installs outside /usr: $(grep -v '^\./usr/' <<<"$contents" | head -n 3)"
fi

# Install into a scratch root with its own package database, then remove. dpkg sets owners, which
# takes root or fakeroot; without either, the files are only unpacked and run.
root=$scratch/root
if [[ $(id -u) -ne 0 ]] && ! command -v fakeroot >/dev/null; then
    dpkg-deb --extract "$deb" "$root"
    "$root/usr/bin/zousbdiag" list | grep -q '^1 hub found\.' || fail "the unpacked zousbdiag"
    echo "the Debian package holds a working installation (not installed: no root, no fakeroot)"
    exit 0
fi
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates" "$root/var/lib/dpkg/triggers"
touch "$root/var/lib/dpkg/status" "$root/var/lib/dpkg/available"
dpkg_root=(dpkg --root="$root" --force-not-root --force-depends --log=/dev/null)
[[ $(id -u) -eq 0 ]] || dpkg_root=(fakeroot "${dpkg_root[@]}")
"${dpkg_root[@]}" --install "$deb" >"$scratch/dpkg.log" 2>&1 || { cat "$scratch/dpkg.log"; fail "dpkg --install"; }
"${dpkg_root[@]}" --status kestrava-quintel | grep -q '^Status: install ok installed' ||
    fail "dpkg does not list the package as installed"
"$root/usr/bin/zousbdiag" list | grep -q '^1 hub found\.' || fail "the installed zousbdiag"
"$root/usr/bin/reg" /? >/dev/null || fail "the installed reg"
"${dpkg_root[@]}" --remove kestrava-quintel >"$scratch/dpkg.log" 2>&1 || { cat "$scratch/dpkg.log"; fail "dpkg --remove"; }
# dpkg removes the folders it made, /usr included, once they are empty.
left=$(find "$root" -path "$root/var" -prune -o -type f -print | head -n 5)
[[ -z "$left" ]] || fail "files left after removal: $left"
echo "the Debian package installs and removes cleanly"
