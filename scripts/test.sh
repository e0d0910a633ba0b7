#!/usr/bin/env bash
# Builds everything and runs every test under Wine on a private X display.
# Exit code: ctest's. Run from anywhere; needs root (or sudo) for the package set-up.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build"
cd "$root"

# shellcheck source=scripts/wine-common.sh
source "$root/scripts/wine-common.sh"
lumevarin_setup_and_build "$root" "$build"
lumevarin_wine_env "$build/wineprefix"

server_running=0
cleanup() {
    if [ "$server_running" -eq 1 ]; then
        wineserver -k 2>/dev/null || true
    fi
    lumevarin_stop_xvfb
}
trap cleanup EXIT

lumevarin_start_xvfb "$build/xvfb.log"
lumevarin_ensure_prefix

# One wineserver for the whole run, so that each test's Wine start is cheap.
wineserver -k 2>/dev/null || true
wineserver -p
server_running=1

# Prefix settings for the tests (the first Wine program also starts the prefix's services, so it
# must not hold on to a pipe of ours):
# - xp_tests.exe sees Windows XP;
# - windows are not handed to an X window manager (there is none): Wine draws their frames, and
#   hiding or destroying a shown window does not wait 2 s for a manager's answer;
# - a crashing test fails at once instead of waiting behind a crash dialog.
wine_reg() { wine reg add "$@" /f </dev/null >/dev/null 2>&1; }
wine_reg 'HKCU\Software\Wine\AppDefaults\xp_tests.exe' /v Version /t REG_SZ /d winxp
wine_reg 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N
wine_reg 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0
lumevarin_prefix_fonts

# One test at a time: tests share the foreground window, the global hotkeys and the tray.
set +e
ctest --test-dir "$build" --output-on-failure -j1
rc=$?
set -e
exit "$rc"
