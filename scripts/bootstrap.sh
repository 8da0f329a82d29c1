#!/usr/bin/env bash
# Installs, with apt-get, only what this machine lacks to build the suite (and, with --tests, to
# run every test). Does nothing but a few package look-ups when everything is present.
set -euo pipefail

packages=(cmake make g++ ccache pkg-config libgtest-dev libgmock-dev libbenchmark-dev)
# The program's windows (Qt 6 Widgets) and the timing diagram's monospace font, metric-compatible
# with Courier New.
packages+=(qt6-base-dev fonts-liberation)
if [[ "${1:-}" == "--tests" ]]; then
    # tshark reads back the usbmon captures the kernel stand-in writes; sigrok-cli decodes the
    # VCD files zousbdiag capture writes.
    packages+=(tshark sigrok-cli)
fi

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "bootstrap: installing ${missing[*]}"
sudo_cmd=()
[[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
