#!/usr/bin/env bash
# Builds everything and runs every test under Wine on a private X display: the 64-bit flavor always,
# the 32-bit build as well where this machine runs 32-bit code (LUMEVARIN_64BIT_ONLY=1 says it
# does not). Extra arguments go to ctest (e.g. -R CopyWindowTest). Exit code: 0 when every flavor
# that ran passed. Run from anywhere; needs root (or sudo) for the package set-up.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build"
cd "$root"

# shellcheck source=scripts/wine-common.sh
source "$root/scripts/wine-common.sh"
lumevarin_keep_32bit_wine_out "$root/scripts/$(basename "${BASH_SOURCE[0]}")" "$@"
bash "$root/scripts/setup.sh"
flavors=(64)
if lumevarin_runs_i386 "$build"; then flavors=(32 64); fi

# The 32-bit program ships and is built everywhere (building runs no 32-bit code); so are its tests,
# so that both flavors keep compiling on every machine.
lumevarin_build "$root" "$build" 32
lumevarin_build "$root" "$build/x64" 64

server_running=0
cleanup() {
    if [ "$server_running" -eq 1 ]; then
        wineserver -k 2>/dev/null || true
    fi
    lumevarin_stop_xvfb
}
trap cleanup EXIT

lumevarin_start_xvfb "$build/xvfb.log"

# run_flavor <32|64> [ctest args...]: the whole suite of one flavor in its own prefix.
run_flavor() {
    local bits="$1" dir arch xp
    shift
    if [ "$bits" = 64 ]; then
        dir="$build/x64" arch=win64 xp=winxp64
    else
        dir="$build" arch=win32 xp=winxp
    fi
    lumevarin_wine_env "$dir/wineprefix" "$arch"
    lumevarin_ensure_prefix

    # One wineserver for the whole run, so that each test's Wine start is cheap.
    wineserver -k 2>/dev/null || true
    wineserver -p
    server_running=1

    # Prefix settings for the tests (the first Wine program also starts the prefix's services, so
    # it must not hold on to a pipe of ours):
    # - xp_tests.exe sees Windows XP (of its own width);
    # - windows are not handed to an X window manager (there is none): Wine draws their frames, and
    #   hiding or destroying a shown window does not wait 2 s for a manager's answer;
    # - a crashing test fails at once instead of waiting behind a crash dialog.
    lumevarin_wine_reg 'HKCU\Software\Wine\AppDefaults\xp_tests.exe' /v Version /t REG_SZ /d "$xp"
    lumevarin_wine_reg 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N
    lumevarin_wine_reg 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0
    lumevarin_prefix_fonts

    # One test at a time: tests share the foreground window, the global hotkeys and the tray.
    local rc=0
    ctest --test-dir "$dir" --output-on-failure -j1 "$@" || rc=$?
    wineserver -k 2>/dev/null || true
    server_running=0
    return "$rc"
}

summary=() status=0
for bits in "${flavors[@]}"; do
    echo "=== ${bits}-bit flavor ==="
    if run_flavor "$bits" "$@"; then
        summary+=("${bits}-bit passed")
    else
        summary+=("${bits}-bit FAILED")
        status=1
    fi
done
if [ "${#flavors[@]}" -eq 1 ]; then
    summary+=("32-bit not run: this machine runs no 32-bit code or LUMEVARIN_64BIT_ONLY=1")
fi
(IFS=';'; echo "test.sh: flavors: ${summary[*]}" | sed 's/;/; /g')
exit "$status"
