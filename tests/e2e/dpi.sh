#!/usr/bin/env bash
# Zarp on screens of 150 % and 200 %: told by WM_DPICHANGED that its frame moved to such a
# screen (as Windows tells a per-monitor aware program; Wine never does), and started with
# the system set to 144 and 192 DPI. Each time the tool bar's buttons lie inside the tool
# bar, the percent box and the slider's whole track (channel and thumb, at 10,
# 100 and 200 %) inside the zoom bar, and the bars inside the frame and over nothing else.
# Screenshots (to be looked at: texts whole, nothing over another): build/screens/dpi-*.png.
# Usage: dpi.sh Zarp.exe zarp_driver.exe screenshot-folder
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

# use_dpi_prefix N: a prefix of this scenario's own whose system DPI is N (as Wine reads
# it when its server starts), so that the other scenarios' prefix stays at 96 DPI even if
# this one is killed: the registry is copied, the rest hard-linked. Its server is not
# persistent and ends by itself once nothing of it runs.
use_dpi_prefix() {
    local from=$SHARED_PREFIX to=$WORK/prefix-$1 key f
    mkdir -p "$to"
    for f in "$from"/* "$from"/.update-timestamp; do
        case $(basename "$f") in drive_c | wineserver) ;; *) cp -a "$f" "$to/" ;; esac
    done
    cp -al "$from/drive_c" "$to/drive_c" 2>/dev/null || cp -a "$from/drive_c" "$to/drive_c"
    export WINEPREFIX=$to
    for key in 'HKCU\Control Panel\Desktop' 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts'; do
        wine reg add "$key" /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1 </dev/null
    done
    wineserver -k 2>/dev/null   # read again at the next start
    wineserver -w 2>/dev/null
}
SHARED_PREFIX=$WINEPREFIX

# layout_fits: the parts that lie outside their bar, or bars over each other; "fits" if none.
layout_fits() {
    drv geometry | awk '
        NF >= 5 {
            name = $1
            for (i = 2; i <= NF - 4; ++i) name = name " " $i
            x[name] = $(NF - 3); y[name] = $(NF - 2); r[name] = x[name] + $(NF - 1); b[name] = y[name] + $NF
            if ($1 == "button") buttons[++n] = name
        }
        function inside(p, o) { return (p in x) && x[p] >= x[o] && y[p] >= y[o] && r[p] <= r[o] && b[p] <= b[o] }
        function need(p, o) { if (!inside(p, o)) bad = bad " " p " (in " o ")" }
        END {
            need("toolbar-client", "frame-client"); need("zoombar-client", "frame-client")
            need("view-client", "frame-client")
            need("edit", "zoombar-client"); need("channel", "zoombar-client"); need("thumb", "zoombar-client")
            for (i = 1; i <= n; ++i) need(buttons[i], "toolbar-client")
            if (n < 21) bad = bad " only " n " buttons"
            if (b["toolbar-client"] > y["zoombar-client"] || b["toolbar-client"] > y["view-client"]) bad = bad " tool bar over"
            if (r["view-client"] > x["zoombar-client"]) bad = bad " view under the zoom bar"
            print bad == "" ? "fits" : "outside:" bad
            exit bad != ""
        }'
}

# check_layout NAME SHOT: the layout with the slider at 10, 200 and 100 %, then a screenshot.
check_layout() {
    local pos
    for pos in 10 200 100; do
        drv set-slider $pos
        poll 6 output_is "$pos $pos" zoombar_value
        check_true "$1, slider at $pos: everything inside its bar" layout_fits
    done
    park_pointer
    screenshot "$2"
}

section "told it moved to screens of 150 % and 200 %"
start_zarp
check "frame title" "title Zarp" "$(drv wait-window 20000 2>&1 | head -1)"
poll 6 output_is "100 100" zoombar_value
# Half the size first, as if it came from a 200 % screen, so that twice that fits Xvfb.
drv dpi-changed 96 192 >/dev/null
previous=96
for dpi in 144 192; do
    read -r _ sx sy sw sh < <(drv dpi-changed $dpi $previous | grep '^suggested')
    previous=$dpi
    check "$dpi DPI: the frame takes the suggested rectangle" "frame $sx $sy $sw $sh" \
        "$(drv geometry | grep '^frame ')"
    check_layout "$dpi DPI" "$SCREENS/dpi-changed-$dpi.png"
done
close_zarp

for dpi in 144 192; do
    section "started at $dpi DPI"
    use_dpi_prefix $dpi
    start_zarp
    check "frame title" "title Zarp" "$(drv wait-window 20000 2>&1 | head -1)"
    poll 6 output_is "100 100" zoombar_value
    check_layout "started at $dpi DPI" "$SCREENS/dpi-start-$dpi.png"
    close_zarp
    wineserver -k 2>/dev/null
    export WINEPREFIX=$SHARED_PREFIX
done

finish
