# Sourced by the run and test scripts: a private X display and a Wine prefix set up
# for Japanese text, with one persistent wineserver. zarp_env_stop ends both.
ZARP_ROOT=${ZARP_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
export WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEPREFIX=${WINEPREFIX:-$ZARP_ROOT/build/wineprefix}

ZARP_XVFB_PID=""

# Starts Xvfb on a free display number; geometry and depth as given (default 1920x1080x24).
zarp_start_xvfb() {
    local geometry=${1:-1920x1080x24} n
    for n in $(seq 91 140); do
        [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] && continue
        Xvfb :$n -screen 0 "$geometry" -nolisten tcp >/dev/null 2>&1 </dev/null &
        ZARP_XVFB_PID=$!
        export DISPLAY=:$n
        for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.05; done
        kill $ZARP_XVFB_PID 2>/dev/null; ZARP_XVFB_PID=""
    done
    echo "cannot start Xvfb" >&2
    return 1
}

# Makes the Wine prefix once (kept in build/), with Wine's fonts, the Japanese font
# substitute and window frames drawn by Wine itself (there is no window manager).
zarp_prepare_prefix() {
    if [ ! -f "$WINEPREFIX/.zarp-ready" ]; then
        rm -rf "$WINEPREFIX"
        mkdir -p "$(dirname "$WINEPREFIX")"
        wineboot -i >/dev/null 2>&1 </dev/null
        cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
        wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
            /v 'ＭＳ Ｐゴシック' /d IPAPGothic /f >/dev/null 2>&1
        wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
            /v 'MS Shell Dlg' /d IPAPGothic /f >/dev/null 2>&1
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
        wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
        wineserver -w
        touch "$WINEPREFIX/.zarp-ready"
    fi
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    wineserver -p >/dev/null 2>&1 </dev/null
    wine cmd /c exit >/dev/null 2>&1 </dev/null || true
}

zarp_env_stop() {
    wineserver -k 2>/dev/null || true
    if [ -n "$ZARP_XVFB_PID" ]; then kill "$ZARP_XVFB_PID" 2>/dev/null || true; wait "$ZARP_XVFB_PID" 2>/dev/null || true; fi
    ZARP_XVFB_PID=""
}
