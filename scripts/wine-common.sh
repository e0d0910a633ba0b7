# Shared by scripts/test.sh and scripts/run.sh (sourced, not run): the Wine environment, a private
# Xvfb display and a private Wine prefix under the build folder.

# lumevarin_setup_and_build <root> <build> [cmake --build args...]: installs the packages, configures
# and builds (the whole tree, or what the extra arguments name).
lumevarin_setup_and_build() {
    local root="$1" build="$2"
    shift 2
    bash "$root/scripts/setup.sh"
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release
    cmake --build "$build" -j"$(nproc)" "$@"
}

# lumevarin_wine_env <prefix>: exports the Wine variables every run uses.
lumevarin_wine_env() {
    export WINEPREFIX="$1"
    export WINEARCH=win32
    export WINEDEBUG=-all
    # No prompts to install Mono or Gecko into a new prefix.
    export WINEDLLOVERRIDES="mscoree=;mshtml="
    # Japanese ANSI code page (932) inside Wine.
    export LANG=ja_JP.UTF-8
    export LC_ALL=ja_JP.UTF-8
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
# Needs DISPLAY. A prefix whose creation was interrupted is made again.
lumevarin_ensure_prefix() {
    local marker="$WINEPREFIX/.lumevarin-prefix-ready"
    if [ -f "$marker" ]; then return 0; fi
    if [ -d "$WINEPREFIX" ]; then
        wineserver -k 2>/dev/null || true
        rm -rf "$WINEPREFIX"
    fi
    local start=$SECONDS
    echo "Creating the Wine prefix $WINEPREFIX ..."
    wineboot -i >/dev/null 2>&1
    wineserver -w
    touch "$marker"
    echo "Wine prefix ready after $((SECONDS - start)) s"
}

# lumevarin_prefix_fonts: the dialogs ask for "ＭＳ Ｐゴシック"; have Wine draw it with the proportional
# IPA Gothic, so Japanese texts keep the widths they were laid out for. Needs LANG=ja_JP.UTF-8.
lumevarin_prefix_fonts() {
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ Ｐゴシック' /t REG_SZ /d 'IPAPGothic' /f \
        </dev/null >/dev/null 2>&1
}
