#!/usr/bin/env bash
# Runs a Windows executable under Wine in a build folder's private prefix.
# ctest and test discovery call it as the cross-compiling emulator:
#   wine-run.sh --arch=<win32|win64> --prefix=<build>/wineprefix <program.exe> [args...]
# It only sets the environment; the display and the wineserver come from scripts/test.sh.
set -euo pipefail

arch="" prefix=""
while [ $# -gt 0 ]; do
    case "$1" in
        --arch=*) arch="${1#--arch=}"; shift ;;
        --prefix=*) prefix="${1#--prefix=}"; shift ;;
        *) break ;;
    esac
done
if [ -z "$prefix" ] || { [ "$arch" != win32 ] && [ "$arch" != win64 ]; }; then
    echo "wine-run.sh: usage: wine-run.sh --arch=<win32|win64> --prefix=<wine prefix> <program> [args...]" >&2
    exit 2
fi
if [ -z "${DISPLAY:-}" ]; then
    echo "wine-run.sh: DISPLAY is not set (run the tests with scripts/test.sh)" >&2
    exit 2
fi

# shellcheck source=scripts/wine-common.sh
source "$(dirname "${BASH_SOURCE[0]}")/wine-common.sh"
export DISPLAY
lumevarin_wine_env "$prefix" "$arch"
exec "$LUMEVARIN_WINE" "$@"
