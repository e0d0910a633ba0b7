#!/usr/bin/env bash
# Runs a Windows executable under Wine in the build folder's private prefix.
# ctest and test discovery call it as the cross-compiling emulator:
#   wine-run.sh --prefix=<build>/wineprefix <program.exe> [args...]
# It only sets the environment; the display and the wineserver come from scripts/test.sh.
set -euo pipefail

case "${1:-}" in
    --prefix=*) prefix="${1#--prefix=}"; shift ;;
    *) echo "wine-run.sh: first argument must be --prefix=<wine prefix>" >&2; exit 2 ;;
esac
if [ -z "${DISPLAY:-}" ]; then
    echo "wine-run.sh: DISPLAY is not set (run the tests with scripts/test.sh)" >&2
    exit 2
fi

# shellcheck source=scripts/wine-common.sh
source "$(dirname "${BASH_SOURCE[0]}")/wine-common.sh"
export DISPLAY
lumevarin_wine_env "$prefix"
exec wine "$@"
