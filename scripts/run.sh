#!/usr/bin/env bash
# Builds the program and runs build/Lumevarin.exe under Wine; arguments go to the program
# (e.g. bash scripts/run.sh -D583). On $DISPLAY when set, else on a private Xvfb inside Wine's
# virtual desktop. Uses its own Wine prefix, build/wineprefix-run.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build"
cd "$root"

# shellcheck source=scripts/wine-common.sh
source "$root/scripts/wine-common.sh"
lumevarin_setup_and_build "$root" "$build" --target Lumevarin
lumevarin_wine_env "$build/wineprefix-run"

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
    wine explorer /desktop=lumevarin,1280x800 "Z:${build//\//\\}\\Lumevarin.exe" "$@"
else
    wine "$build/Lumevarin.exe" "$@"
fi
rc=$?
set -e
exit "$rc"
