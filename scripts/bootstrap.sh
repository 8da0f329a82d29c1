#!/usr/bin/env bash
# Installs, with apt-get, only what this machine lacks to build the suite (and, with --tests, to
# run every test; with --windows, to build for Windows and test under Wine; with --fuzz, to build
# the fuzzers). Does nothing but a few package look-ups when everything is present.
set -euo pipefail

# help2man makes the manual pages of the tools from their help texts.
packages=(cmake make g++ ccache pkg-config libgtest-dev libgmock-dev libbenchmark-dev help2man)
# The signal generator program: Qt 6 Widgets; rsvg-convert renders its SVG images at build time;
# Liberation Mono, metric-compatible with Courier New, draws the timing diagram's lettering; DejaVu
# the images' lettering and the digit cells, Noto CJK the glyphs of the Japanese and Chinese
# translations; xdg-open is the desktop's "open" that shows the user manual (F1).
packages+=(qt6-base-dev librsvg2-bin fonts-liberation fonts-dejavu-core fonts-noto-cjk xdg-utils)
windows=()
if [[ "${1:-}" == "--windows" ]]; then
    # The mingw-w64 cross compilers with std::thread ("posix"), the DDK headers and the kernel's
    # import libraries for zousbdrv.sys (mingw-w64-x86-64-dev), Wine for the tests, and the
    # GoogleTest source to build with the cross compilers. 32-bit Wine (wine32:i386) runs the x86
    # tests where the kernel runs 32-bit programs; it is optional.
    packages=(cmake make ccache g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
              mingw-w64-x86-64-dev wine wine64 googletest)
    windows=(wine32:i386)
fi
if [[ "${1:-}" == "--tests" ]]; then
    # tshark reads back the usbmon captures the kernel stand-in writes; sigrok-cli decodes the
    # VCD files zousbdiag capture writes; python3-pytest runs the Python package's tests (PyPI
    # is not needed); fakeroot lets the Debian package test install into a scratch root without
    # root.
    packages+=(tshark sigrok-cli python3 python3-pytest fakeroot)
fi
if [[ "${1:-}" == "--fuzz" ]]; then
    # clang with its runtime libraries builds the libFuzzer targets.
    packages+=(clang libclang-rt-14-dev)
fi

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
optional=()
for package in "${windows[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || optional+=("$package")
done
[[ ${#missing[@]} -eq 0 && ${#optional[@]} -eq 0 ]] && exit 0

sudo_cmd=()
[[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
if [[ ${#optional[@]} -gt 0 ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo_cmd[@]}" dpkg --add-architecture i386
fi
"${sudo_cmd[@]}" apt-get update -q
if [[ ${#missing[@]} -gt 0 ]]; then
    echo "bootstrap: installing ${missing[*]}"
    "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
if [[ ${#optional[@]} -gt 0 ]]; then
    echo "bootstrap: installing ${optional[*]} (optional)"
    "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${optional[@]}" ||
        echo "bootstrap: ${optional[*]} could not be installed; the x86 tests will not run"
fi
