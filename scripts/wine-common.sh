# Shared by scripts/setup.sh, scripts/test.sh, scripts/run.sh and scripts/wine-run.sh (sourced, not
# run): which flavors this machine can run, the builds, the Wine environment, a private Xvfb display
# and a private Wine prefix per flavor.
#
# Two flavors of one source tree:
#   32-bit  build/      the shipped program build/Lumevarin.exe, its tests, a win32 prefix;
#   64-bit  build/x64/  the same program and tests built for x86-64, a win64 prefix, run by Wine's
#                       64-bit loader called directly. For machines whose kernel runs no 32-bit code.
# LUMEVARIN_64BIT_ONLY=1 makes any machine behave as one that runs no 32-bit code.

# lumevarin_runs_i386 <scratch folder>: true when this machine executes 32-bit x86 programs and
# LUMEVARIN_64BIT_ONLY is not 1. Asks the kernel by running a real i386 program: 96 bytes of ELF
# that only exit with status 42 (a kernel without 32-bit support refuses it with "Exec format
# error"). The scratch folder must allow execution; /tmp may not.
lumevarin_runs_i386() {
    if [ "${LUMEVARIN_64BIT_ONLY:-0}" = 1 ]; then return 1; fi
    local dir="$1" probe rc
    mkdir -p "$dir"
    probe="$dir/.i386-probe"
    # ELF header, one loadable segment at 0x08048000, then: mov ebx,42; mov eax,1; int 0x80.
    printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000\000\000\000\000\000\000\000\000\064\000\040\000\001\000\000\000\000\000\000\000\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010\140\000\000\000\140\000\000\000\005\000\000\000\000\020\000\000\273\052\000\000\000\270\001\000\000\000\315\200' >"$probe"
    chmod +x "$probe"
    rc=0
    ("$probe") >/dev/null 2>&1 || rc=$?
    rm -f "$probe"
    [ "$rc" -eq 42 ]
}

# lumevarin_keep_32bit_wine_out <script> [args...]: with LUMEVARIN_64BIT_ONLY=1 on a machine that
# has Wine's 32-bit loader and could run it, Wine would still start it for the 32-bit half of a
# 64-bit prefix (the first wineboot does). Re-runs the script in a private mount namespace in which
# that loader is an empty, unexecutable file, so nothing 32-bit starts; returns where nothing needs
# hiding. Needs root.
lumevarin_keep_32bit_wine_out() {
    local script="$1" loader=/usr/lib/wine/wine
    shift
    if [ "${LUMEVARIN_64BIT_ONLY:-0}" != 1 ] || [ -n "${LUMEVARIN_WINE32_HIDDEN:-}" ]; then return 0; fi
    if [ ! -x "$loader" ] || ! LUMEVARIN_64BIT_ONLY=0 lumevarin_runs_i386 "$(dirname "$script")/../build"; then
        return 0
    fi
    echo "lumevarin: hiding Wine's 32-bit loader from this run (LUMEVARIN_64BIT_ONLY=1)"
    export LUMEVARIN_WINE32_HIDDEN=1
    exec unshare --mount --propagation private bash -c \
        'mount --bind /dev/null "$0" && exec bash "$@"' "$loader" "$script" "$@"
}

# lumevarin_build <root> <build folder> <32|64> [cmake --build args...]: configures and builds one
# flavor (the whole tree, or what the extra arguments name). The 64-bit flavor is told where the
# shipped 32-bit program is, for its import check.
lumevarin_build() {
    local root="$1" build="$2" bits="$3"
    shift 3
    local config=(-DCMAKE_BUILD_TYPE=Release)
    if [ "$bits" = 64 ]; then
        config+=("-DCMAKE_TOOLCHAIN_FILE=$root/cmake/x86_64-w64-mingw32.cmake"
            "-DLUMEVARIN_SHIPPED_EXE=$root/build/Lumevarin.exe")
    else
        config+=("-DCMAKE_TOOLCHAIN_FILE=$root/cmake/i686-w64-mingw32.cmake")
    fi
    cmake -S "$root" -B "$build" "${config[@]}"
    cmake --build "$build" -j"$(nproc)" "$@"
}

# lumevarin_wine_env <prefix> <win32|win64>: exports the Wine variables every run of that flavor
# uses and sets LUMEVARIN_WINE, the command that starts a Windows program.
lumevarin_wine_env() {
    export WINEPREFIX="$1"
    export WINEARCH="$2"
    export WINEDEBUG=-all
    # No prompts to install Mono or Gecko into a new prefix.
    export WINEDLLOVERRIDES="mscoree=;mshtml="
    # Japanese ANSI code page (932) inside Wine.
    export LANG=ja_JP.UTF-8
    export LC_ALL=ja_JP.UTF-8
    if [ "$2" = win64 ]; then
        # Debian's "wine" launcher takes the 32-bit loader whenever it is installed, so the 64-bit
        # flavor calls the 64-bit loader itself.
        WINELOADER="$(lumevarin_wine64_loader)" || return 1
        export WINELOADER
        LUMEVARIN_WINE="$WINELOADER"
    else
        if [ "${LUMEVARIN_64BIT_ONLY:-0}" = 1 ]; then
            echo "lumevarin: LUMEVARIN_64BIT_ONLY=1: no 32-bit Wine program is started" >&2
            return 1
        fi
        unset WINELOADER
        LUMEVARIN_WINE=wine
    fi
}

# lumevarin_wine64_loader: path of Wine's 64-bit loader (from the wine64 package).
lumevarin_wine64_loader() {
    local f=/usr/lib/wine/wine64
    if [ ! -x "$f" ]; then f=$(dpkg -L wine64 2>/dev/null | grep -m1 '/wine64$' || true); fi
    if [ -n "$f" ] && [ -x "$f" ]; then
        echo "$f"
        return 0
    fi
    echo "lumevarin: Wine's 64-bit loader (package wine64) is missing" >&2
    return 1
}

# lumevarin_wine <program> [args...]: starts a Windows program with the flavor's loader.
lumevarin_wine() {
    "$LUMEVARIN_WINE" "$@"
}

# lumevarin_start_xvfb <logfile>: starts Xvfb on a free display number, exports DISPLAY and sets
# LUMEVARIN_XVFB_PID.
lumevarin_start_xvfb() {
    local log="$1" numfile
    numfile=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$numfile" >"$log" 2>&1 &
    LUMEVARIN_XVFB_PID=$!
    # Xvfb writes its display number once it accepts connections.
    local i
    for ((i = 0; i < 200; i++)); do
        if [ -s "$numfile" ]; then break; fi
        if ! kill -0 "$LUMEVARIN_XVFB_PID" 2>/dev/null; then break; fi
        sleep 0.05
    done
    if [ ! -s "$numfile" ]; then
        echo "Xvfb did not start; see $log" >&2
        rm -f "$numfile"
        return 1
    fi
    export DISPLAY=":$(tr -d '[:space:]' <"$numfile")"
    rm -f "$numfile"
}

# lumevarin_stop_xvfb: stops the Xvfb that lumevarin_start_xvfb started.
lumevarin_stop_xvfb() {
    if [ -n "${LUMEVARIN_XVFB_PID:-}" ]; then
        kill "$LUMEVARIN_XVFB_PID" 2>/dev/null || true
        wait "$LUMEVARIN_XVFB_PID" 2>/dev/null || true
        LUMEVARIN_XVFB_PID=""
    fi
}

# lumevarin_ensure_prefix: creates $WINEPREFIX (about 15 s) unless a finished one is there.
# Needs DISPLAY and lumevarin_wine_env. A prefix whose creation was interrupted is made again.
lumevarin_ensure_prefix() {
    local marker="$WINEPREFIX/.lumevarin-prefix-ready"
    if [ -f "$marker" ]; then return 0; fi
    if [ -d "$WINEPREFIX" ]; then
        wineserver -k 2>/dev/null || true
        rm -rf "$WINEPREFIX"
    fi
    local start=$SECONDS
    echo "Creating the Wine prefix $WINEPREFIX ..."
    lumevarin_wine wineboot -i >/dev/null 2>&1
    wineserver -w
    touch "$marker"
    echo "Wine prefix ready after $((SECONDS - start)) s"
}

# lumevarin_wine_reg <reg add arguments...>: one registry value of the prefix, quietly.
lumevarin_wine_reg() {
    lumevarin_wine reg add "$@" /f </dev/null >/dev/null 2>&1
}

# lumevarin_prefix_fonts: the dialogs ask for "ＭＳ Ｐゴシック"; have Wine draw it with the proportional
# IPA Gothic, so Japanese texts keep the widths they were laid out for. Needs LANG=ja_JP.UTF-8.
lumevarin_prefix_fonts() {
    lumevarin_wine_reg 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ Ｐゴシック' /t REG_SZ /d 'IPAPGothic'
}
