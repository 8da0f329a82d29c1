#!/bin/sh
# The Wine prefix of one test run: "start" makes a fresh one (Wine's first start, which takes a
# while, happens once per run) and keeps its server running for the run's programs; "stop" ends
# the server and removes the prefix, registry and all.
# Usage: wine_prefix.sh start|stop PREFIX LOADER
set -e
action=$1
prefix=$2
loader=$3
export WINEPREFIX="$prefix" WINELOADER="$loader" WINEDEBUG=-all
# No browser or .NET runtime: the test programs need neither, and Wine would offer to install them.
export WINEDLLOVERRIDES="mscoree,mshtml="
server="$(dirname "$loader")/wineserver64"
[ -x "$server" ] || server="$(dirname "$loader")/wineserver32"
case "$action" in
    start)
        if [ -d "$prefix" ]; then
            "$server" -k 2>/dev/null || true
            rm -rf "$prefix"
        fi
        mkdir -p "$prefix"
        "$server" -p </dev/null >/dev/null 2>&1
        "$loader" wineboot --init >/dev/null 2>&1
        ;;
    stop)
        "$server" -k 2>/dev/null || true
        rm -rf "$prefix"
        ;;
esac
