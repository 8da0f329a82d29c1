#!/usr/bin/env bash
# Checks the bash completions against the built tools: every command of the usage is offered,
# parameter names and values complete part by part, and reg completes keys from the registry.
# Usage: completion_test.sh BIN_DIR COMPLETION_DIR
set -euo pipefail
bin_dir=$1
completion_dir=$2
export PATH="$bin_dir:$PATH"
ZO_REGISTRY_DIR=$(mktemp -d)
export ZO_REGISTRY_DIR
trap 'rm -rf "$ZO_REGISTRY_DIR"' EXIT

source "$completion_dir/zousbdiag.bash"
source "$completion_dir/reg.bash"
COMP_WORDBREAKS=$' \t\n"\'><=;|&(:'

failures=0
# complete LINE FUNCTION: the completions bash would offer at the end of LINE, one a line.
complete_at_end() {
    COMP_LINE=$1
    COMP_POINT=${#COMP_LINE}
    read -ra COMP_WORDS <<<"$1"
    [[ "$1" == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    "$2"
    printf '%s\n' "${COMPREPLY[@]}"
}
expect() {
    local line=$1 function=$2 expected=$3 actual
    actual=$(complete_at_end "$line" "$function" | tr '\n' ' ' | sed 's/ $//')
    if [[ "$actual" != "$expected" ]]; then
        echo "FAIL: '$line' completes to '$actual', expected '$expected'"
        failures=$((failures + 1))
    fi
}

# Every command the usage names is offered, and nothing else.
usage_commands=$(zousbdiag help | sed -n 's/^  \([a-z][a-z-]*\)[ ,].*/\1/p' | grep -vx zousbdiag |
    sort -u)
offered=$(complete_at_end "zousbdiag " _zousbdiag | grep -v '^-' | sort -u)
if [[ "$usage_commands" != "$offered" ]]; then
    echo "FAIL: the completion's commands differ from the usage's:"
    diff <(echo "$usage_commands") <(echo "$offered") || true
    failures=$((failures + 1))
fi

expect "zousbdiag me" _zousbdiag "measure"
expect "zousbdiag help " _zousbdiag "parameters modes"
expect "zousbdiag version " _zousbdiag "0 1 2 3 4 5 6 7"
expect "zousbdiag settings " _zousbdiag "1 2 3 4 5"
expect "zousbdiag set 1 0 PER" _zousbdiag "PERIOD PERIOD2"
expect "zousbdiag set 1 0 MODE st" _zousbdiag "start-stop"
expect "zousbdiag capture 1 5 out.vcd --set 0:HIGH" _zousbdiag "HIGH_TIME= HIGH_TIME2="
expect "zousbdiag capture 1 5 out.vcd --set 0:EXT_SOURCE=" _zousbdiag \
    "none A B out0 out1 out2 out3 out4 out5 out6 out7"
expect "zousbdiag measure 1 out" _zousbdiag "out0 out1 out2 out3 out4 out5 out6 out7"
expect "zousbdiag measure 1 A --b" _zousbdiag "--background"
expect "zousbdiag outputs 1 " _zousbdiag "open close"
expect "zousbdiag iso-read 0 --s" _zousbdiag "--samples"
expect "zousbdiag stream 0 live.vcd --d" _zousbdiag "--duration"
expect "zousbdiag stream 0 live.vcd --duration " _zousbdiag "1000 2s 10s"
expect "zousbdiag stream 0 live.vcd --set 0:LOW" _zousbdiag "LOW_TIME= LOW_TIME2="

reg add 'HKCU\Software\Valdra\Kestrava Quintel' >/dev/null
reg add 'HKCU\Software\Vendor' >/dev/null
expect "reg ex" _reg "export"
expect "reg query hkc" _reg 'HKCU\\ HKCR\\'
expect 'reg query HKCU\\Software\\V' _reg 'HKCU\\Software\\Valdra\\ HKCU\\Software\\Vendor\\'
expect 'reg query HKCU\\Software\\Valdra\\' _reg 'HKCU\\Software\\Valdra\\Kestrava\ Quintel\\'
expect "reg delete HKCU\\\\A /v" _reg "/v /ve /va"
expect "reg add HKCU\\\\A /t reg_e" _reg "REG_EXPAND_SZ"

if ((failures > 0)); then
    echo "$failures completion checks failed"
    exit 1
fi
echo "every completion check passed"
