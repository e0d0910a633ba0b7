#!/usr/bin/env bash
# Builds the program and runs it under Wine; arguments go to the program (e.g. bash scripts/run.sh
# -D583). Runs the shipped 32-bit build/Lumevarin.exe where this machine runs 32-bit code, else the
# 64-bit build of the same source, build/x64/Lumevarin.exe (LUMEVARIN_64BIT_ONLY=1 forces that).
# On $DISPLAY when set, else on a private Xvfb inside Wine's virtual desktop. Uses a Wine prefix of
# its own, wineprefix-run in the flavor's build folder.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build"
cd "$root"

# shellcheck source=scripts/wine-common.sh
source "$root/scripts/wine-common.sh"
lumevarin_keep_32bit_wine_out "$root/scripts/$(basename "${BASH_SOURCE[0]}")" "$@"
bash "$root/scripts/setup.sh"
lumevarin_build "$root" "$build" 32 --target Lumevarin
if lumevarin_runs_i386 "$build"; then
    dir="$build" arch=win32
    echo "run.sh: running the 32-bit program build/Lumevarin.exe"
else
    lumevarin_build "$root" "$build/x64" 64 --target Lumevarin
    dir="$build/x64" arch=win64
    echo "run.sh: no 32-bit code runs here (or LUMEVARIN_64BIT_ONLY=1): running the 64-bit build build/x64/Lumevarin.exe"
fi
lumevarin_wine_env "$dir/wineprefix-run" "$arch"

private_display=0
cleanup() {
    if [ "$private_display" -eq 1 ]; then
        # The virtual desktop outlives the program; end everything of this prefix.
        wineserver -k 2>/dev/null || true
        lumevarin_stop_xvfb
    fi
}
trap cleanup EXIT

if [ -z "${DISPLAY:-}" ]; then
    lumevarin_start_xvfb "$build/xvfb-run.log"
    private_display=1
    echo "No DISPLAY: running on the private display $DISPLAY"
fi
lumevarin_ensure_prefix
lumevarin_prefix_fonts

set +e
if [ "$private_display" -eq 1 ]; then
    # Wine's virtual desktop draws window frames and the tray; the program is given by its
    # Windows path (the prefix maps / to Z:).
    lumevarin_wine explorer /desktop=lumevarin,1280x800 "Z:${dir//\//\\}\\Lumevarin.exe" "$@"
else
    lumevarin_wine "$dir/Lumevarin.exe" "$@"
fi
rc=$?
set -e
exit "$rc"
