# Shell helpers for running the Windows builds under Wine on Linux. Sourced.

WINE64=/usr/lib/wine/wine64
export WINEDEBUG=-all

# The Windows spelling of a Linux path, through Wine's Z: drive.
winpath() { printf 'Z:%s' "$(printf '%s' "$1" | tr / '\\')"; }

# Wine wants an absolute prefix.
absolute() { case $1 in /*) printf '%s' "$1" ;; *) printf '%s/%s' "$PWD" "$1" ;; esac; }

# True where 32-bit Linux programs (and so 32-bit Wine) can run.
can_run_32bit() { /lib/ld-linux.so.2 --version >/dev/null 2>&1; }

# Makes a 64-bit prefix at $1 unless one is ready there. It also runs 32-bit
# programs. No display here, so windows need the null graphics driver; a crash
# must end the process instead of waiting on a dialog nobody sees.
ensure_prefix() {
    local prefix
    prefix=$(absolute "$1")
    [ -f "$prefix/.ready" ] && return 0
    rm -rf "$prefix"
    mkdir -p "$prefix"
    echo "wine: creating prefix $prefix (a few minutes the first time)"
    (
        export WINEPREFIX=$prefix
        timeout 900 "$WINE64" wineboot -i </dev/null >"$prefix/.create.log" 2>&1 &&
            timeout 120 "$WINE64" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f \
                </dev/null >>"$prefix/.create.log" 2>&1 &&
            timeout 120 "$WINE64" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog \
                /t REG_DWORD /d 0 /f </dev/null >>"$prefix/.create.log" 2>&1 &&
            timeout 120 wineserver -w
    ) || { cat "$prefix/.create.log"; return 1; }
    touch "$prefix/.ready"
}

# Runs a Windows program of architecture $1 (win32|win64) in prefix $2, with a
# time limit of $3 seconds. Output goes through a file, so that the wine
# server it starts never holds the caller's pipe open.
run_windows() {
    local arch=$1 prefix limit=$3
    prefix=$(absolute "$2")
    shift 3
    local launcher=$WINE64
    [ "$arch" = win32 ] && launcher=wine
    local log
    log=$(mktemp)
    local rc=0
    WINEPREFIX=$prefix timeout --kill-after=10 "$limit" "$launcher" "$@" </dev/null >"$log" 2>&1 || rc=$?
    tr -d '\r' <"$log"
    rm -f "$log"
    [ $rc -eq 124 ] && echo "FAIL: timed out after ${limit}s"
    return $rc
}

# Installs the virtual remote control (tools/VirtualRemote) into prefix $2
# from the 64-bit build tree $1; a no-op when it is there already.
ensure_virtual_remote() {
    local tree=$1/tools/VirtualRemote
    run_windows win64 "$2" 120 "$tree/install-remote.exe" "$(winpath "$(absolute "$tree")/vremote.inf")"
}

stop_prefix() { WINEPREFIX=$(absolute "$1") timeout 60 wineserver -k >/dev/null 2>&1 || true; }
