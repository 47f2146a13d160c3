#!/usr/bin/env bash
# Runs the Wine layer of the tests.
#   run.sh prefix BUILD-ROOT PREFIX        make the Wine prefix the tests share,
#                                          with the virtual remote installed
#   run.sh host ARCH BUILD-ROOT PREFIX     the test host against ARCH's DLLs
#   run.sh monitor ARCH BUILD-ROOT PREFIX  remote-monitor of ARCH
#   run.sh stress ARCH BUILD-ROOT PREFIX [--short]
#                                          the stress trials, as a table
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../scripts/lib/wine.sh"

case ${1-} in
prefix)
    ensure_prefix "$3" && ensure_virtual_remote "$2/win64" "$3"
    ;;
host | monitor | stress)
    arch=$2 build=$3/$2 prefix=$4
    if [ "$arch" = win32 ] && ! can_run_32bit; then
        echo "SKIPPED: 32-bit programs cannot run on this machine; the 32-bit build was NOT tested under Wine"
        exit 77
    fi
    if [ "$1" = monitor ]; then
        exec python3 "$here/monitor_tests.py" "$arch" "$3" "$prefix"
    fi
    if [ "$1" = stress ]; then
        echo "| Trial ($arch${5:+, short form}) | Figure | Target | Met |"
        echo "|---|---|---|---|"
        run_windows "$arch" "$prefix" 3000 "$build/tests/stress/stress-host.exe" \
            "$(winpath "$build/Varnelo/Varnelo.dll")" "$(winpath "$build/Tiskaro/Tiskaro.dll")" \
            "$(winpath "$build/tests/wine/drivers/full")" ${5:+"$5"}
        rc=$?
        echo "| process ended with both plug-ins listening | exit code $rc | 0, no crash | $([ $rc = 0 ] && echo yes || echo NO) |"
        exit $rc
    fi
    # One process for every case: a 32-bit start costs about a minute here.
    run_windows "$arch" "$prefix" 600 "$build/tests/wine/plugin-host-tests.exe" \
        "$(winpath "$build/Varnelo/Varnelo.dll")" "$(winpath "$build/Tiskaro/Tiskaro.dll")" \
        "$(winpath "$build/tests/wine/drivers")" \
        "$(winpath "$3/win64/tools/VirtualRemote/remote-press.exe")"
    ;;
*)
    echo "usage: run.sh prefix BUILD-ROOT PREFIX | host|monitor|stress ARCH BUILD-ROOT PREFIX" >&2
    exit 2
    ;;
esac
