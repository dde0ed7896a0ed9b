#!/usr/bin/env bash
# The whole walk-through with real input only, menus chosen with the mouse: 3秒, ｽｸﾘｰﾝ,
# the zoom slider dragged to 200 %, 50 % and about 150 %, range mode on, a range dragged,
# Save As, Ctrl+C; then ｱｸﾃｨﾌﾟｳｨﾝﾄﾞｳ with another program's window clicked to the front
# during the wait. The driver only fills in the save dialog and reads state; the saved
# files and the clipboard are compared with the screen.
# Usage: walkthrough.sh Zarp.exe zarp_driver.exe screenshot-folder
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

RUN=$WORK/run
L=143 T=87 R=517 B=341   # the range, view client coordinates, right and bottom exclusive
W=$((R - L)) H=$((B - T))

# choose TEXT...: clicks the menu-bar item, then each item in turn (a submenu opens on its
# click); the pointer then leaves the frame.
choose() {
    local n=1 item
    for item in "$@"; do
        click_menu "$item" || return 1
        if [ "$n" -lt $# ]; then
            poll 6 output_is "popups $n" drv popups || { fail "\"$item\" opened no menu"; return 1; }
        fi
        n=$((n + 1))
    done
    poll 6 output_is "popups 0" drv popups || { fail "the menus stayed open after \"$item\""; return 1; }
    park_pointer
}

# watch_capture: starts the driver watching the frame hide and come back.
watch_capture() {
    wine "$DRIVER" watch-hide 20000 >"$WORK/watch.txt" 2>&1 </dev/null &
    WATCH_PID=$!
    HELPER_PIDS+=("$WATCH_PID")
    poll 6 grep -qx watching "$WORK/watch.txt" || fail "the watcher did not start"
}
# shown_after_3s: once the watcher has ended: the frame was hidden for the 3-second wait
# and came back within 1.5 s after.
shown_after_3s() {
    local shown
    shown=$(awk '/^shown-after-ms/ {print $2}' "$WORK/watch.txt")
    [ -n "$shown" ] && [ "$shown" -ge 3000 ] && [ "$shown" -lt 4500 ] && echo "$shown ms" && return 0
    echo "back after ${shown:-never} ms"
    return 1
}

section "start"
show_reference_pattern || finish
start_zarp
check "frame title" "title Zarp" "$(drv wait-window 20000 2>&1 | head -1)"
focus_frame || fail "the frame did not get the keyboard focus"
poll 6 output_is "100 100" zoombar_value
box_shows_100() { screenshot "$SCREENS/empty-view.png" && [ "$(px digits "$SCREENS/empty-view.png" $(geometry_of edit))" = 3 ]; }
poll 6 box_shows_100 || fail "the percent box does not show 100"
check "the empty view is plain grey" "#808080" "$(px colours "$SCREENS/empty-view.png" $(geometry_of view-client))"

section "3秒 from the capture menu, with the mouse"
choose 'ｷｬﾌﾟﾁｬｰ(&C)' '待ち時間(&W)' '3秒'
check "3秒 checked, nothing else" '    item 0x800B "3秒" enabled checked' "$(drv menus 2>&1 | grep checked)"

section "ｽｸﾘｰﾝ from the menu"
watch_capture
choose 'ｷｬﾌﾟﾁｬｰ(&C)' 'ｽｸﾘｰﾝ(&S)'
wait "$WATCH_PID"
check_true "the frame hides for the wait and then comes back" shown_after_3s
poll 6 view_matches 100
check_true "the view shows the screen at 100 %" view_matches 100

section "the zoom slider, with the mouse"
drag_slider 999
park_pointer
poll 6 output_is "200 200" zoombar_value
check "dragged to the bottom: 200" "200 200" "$(zoombar_value)"
poll 6 view_matches 200 "$SCREENS/walk-200.png"
check_true "the view shows each pixel as a 2x2 block" view_matches 200 "$SCREENS/walk-200.png"
move_slider 50
poll 6 view_matches 50 "$SCREENS/walk-50.png"
check_true "at 50 % the whole screen fits, grey beyond" view_matches 50 "$SCREENS/walk-50.png"
drag_slider 150
park_pointer
box_follows() { read -r s e <<<"$(zoombar_value)"; [ "$s" = "$e" ]; }
poll 6 box_follows
read -r ZOOM box <<<"$(zoombar_value)"
if [ "${ZOOM:-0}" -ge 145 ] && [ "$ZOOM" -le 155 ]; then pass "dragged to about 150: $ZOOM"
else fail "a drag towards 150 gave ${ZOOM:-?}"; fi
check "the box follows" "$ZOOM" "$box"
view_near() {
    local vx vy vw vh
    read -r vx vy vw vh <<<"$(geometry_of view-client)"
    screenshot "$WORK/view.png" && convert "$WORK/view.png" -crop "${vw}x${vh}+${vx}+${vy}" +repage "$WORK/view-crop.png" &&
        px near "$WORK/view-crop.png" "$WORK/ref.png" "$ZOOM" 0 0
}
poll 6 view_near
check_true "the view shows the screen enlarged to $ZOOM %" view_near

section "range mode on from the menu; a range dragged"
choose '範囲指定(&S)' '範囲を指定する(&S)'
check "範囲を指定する checked" '  item 0x8008 "範囲を指定する(&S)" enabled checked' "$(drv menus 2>&1 | grep 0x8008)"
drag_in_view $L $T $R $B
park_pointer
read -r vx vy vw vh <<<"$(geometry_of view-client)"
copy_state() { drv menus | grep -F 'item 0xE122' | awk '{print $NF}'; }
# Copy is enabled once the button-up has been handled: every move before it is drawn.
poll 6 output_is enabled copy_state
check "the range enables ｺﾋﾟｰ" enabled "$(copy_state)"
screenshot "$SCREENS/walk-range.png"

section "Save As from the file menu"
choose 'ﾌｧｲﾙ(&F)' '名前を付けて保存(&A)...'
check "the save dialog, in the start folder" "folder $(winpath "$RUN")" "$(drv file-dialog 10000 | grep '^folder')"
screenshot "$SCREENS/walk-save-dialog.png"
check "Save as walk" "$(printf 'typed walk\nclosed')" "$(drv save-as walk yes 2>&1)"
poll 6 test -f "$RUN/walk.bmp"
check "ImageMagick reads a ${W}x${H} BMP" "BMP3 $W $H" "$(identify -format '%m %w %h' "$RUN/walk.bmp" 2>&1)"
convert "$RUN/walk.bmp" "$WORK/walk.png"
check "Pillow too" "BMP RGB ${W}x${H}" "$(px info "$RUN/walk.bmp")"
check_true "the saved picture is what the view showed inside the dotted frame" \
    px framed "$SCREENS/walk-range.png" $((vx + L)) $((vy + T)) "$WORK/walk.png" 0 0 $W $H 0 0 $W $H
check_true "and the screen at $ZOOM % cut where the range was marked" \
    px near "$RUN/walk.bmp" "$WORK/ref.png" "$ZOOM" $L $T
check "zp.x holds the folder" "$(settings_bytes "$RUN")" "$(bytes_of "$RUN/zp.x")"

section "Ctrl+C"
# No picture left on the clipboard by an earlier scenario: it holds a text now.
hold_clipboard_text "zarp-e2e walk" || fail "xclip did not take the clipboard"
focus_frame || fail "the frame did not get the keyboard focus"
xdotool key ctrl+c
poll 6 clipboard_has_dib
check "a ${W}x${H} DIB on the clipboard" "dib $W $H" \
    "$(drv clipboard-dib "$(winpath "$WORK")\\walk-copy.bmp" | cut -d' ' -f1-3)"
check_true "the same pixels as the saved file" px same "$WORK/walk-copy.bmp" 0 0 "$WORK/walk.png" 0 0 $W $H

section "ｱｸﾃｨﾌﾟｳｨﾝﾄﾞｳ: a window clicked to the front during the wait"
choose '範囲指定(&S)' '範囲を指定する(&S)'
move_slider 100
px pattern "$WORK/target.png" 400 296 >/dev/null
convert "$WORK/target.png" -flop "BMP3:$WORK/target.bmp"
convert "$WORK/target.png" -negate "BMP3:$WORK/decoy.bmp"
for name in target decoy; do
    y=100
    [ $name = decoy ] && y=600
    wine "$DRIVER" show-picture "$(winpath "$WORK/$name.bmp")" 1480 $y >"$WORK/$name.out" 2>&1 </dev/null &
    HELPER_PIDS+=($!)
    poll 5 grep -q '^client' "$WORK/$name.out" || fail "the $name window did not open"
done
read -r _ wx wy ww wh < <(grep '^window' "$WORK/target.out")
read -r _ cx cy cw ch < <(grep '^client' "$WORK/target.out")
watch_capture
choose 'ｷｬﾌﾟﾁｬｰ(&C)' 'ｱｸﾃｨﾌﾟｳｨﾝﾄﾞｳ(&A)'
poll 6 grep -qx hidden "$WORK/watch.txt" || fail "the frame did not hide"
before=$(drv foreground)
echo "      in front once Zarp hid: $before"
check "before the click another window is in front" "" "$(grep -F target.bmp <<<"$before")"
xdotool mousemove $((cx + cw / 2)) $((cy + ch / 2)) click 1
park_pointer
poll 6 output_is 'foreground ZarpE2EPicture "zarp-e2e target.bmp"' drv foreground
check "the clicked window is in front" 'foreground ZarpE2EPicture "zarp-e2e target.bmp"' "$(drv foreground)"
screenshot "$WORK/active-ref.png"
check "the grab of it was taken while Zarp was hidden" "visible 0" "$(drv frame | grep '^visible')"
wait "$WATCH_PID"
check_true "the frame hides for the wait and then comes back" shown_after_3s
convert "$WORK/active-ref.png" -crop "${ww}x${wh}+${wx}+${wy}" +repage "$WORK/active-window.png"
view_shows_window() {
    screenshot "$WORK/view.png" && px zoomed "$WORK/view.png" $(geometry_of view-client) "$WORK/active-window.png" 100
}
poll 6 view_shows_window
check_true "the view shows the window, grey beyond it" view_shows_window
screenshot "$SCREENS/walk-active.png"
choose 'ﾌｧｲﾙ(&F)' '名前を付けて保存(&A)...'
check "Save as active, in the folder of the last save" "$(printf 'typed active\nclosed')" \
    "$(drv save-as active yes 2>&1)"
poll 6 test -f "$RUN/active.bmp"
check "the saved picture has the window's outer size" "BMP3 $ww $wh" \
    "$(identify -format '%m %w %h' "$RUN/active.bmp" 2>&1)"
check_true "the saved picture is the window's outer rectangle, caption and frame included" \
    px same "$RUN/active.bmp" 0 0 "$WORK/active-ref.png" "$wx" "$wy" "$ww" "$wh"
check_true "its client area shows the window's picture" \
    px same "$RUN/active.bmp" $((cx - wx)) $((cy - wy)) "$WORK/target.bmp" 0 0 "$cw" "$ch"
check_true "the caption icon leaves no alpha: every fourth byte of the file is 0xFF, opaque" px reserved "$RUN/active.bmp"
focus_frame || fail "the frame did not get the keyboard focus"
xdotool key ctrl+c
copied() { drv clipboard-dib "$(winpath "$WORK")\\active-copy.bmp" | cut -d' ' -f1-3; }
poll 6 output_is "dib $ww $wh" copied
check "Ctrl+C: a ${ww}x${wh} DIB" "dib $ww $wh" "$(copied)"
check_true "equal to the saved file" px same "$WORK/active-copy.bmp" 0 0 "$RUN/active.bmp" 0 0 "$ww" "$wh"
check_true "and every fourth byte of the clipboard's DIB is 0xFF" px reserved "$WORK/active-copy.bmp"
drv close-picture

section "leaving"
check "WM_CLOSE ends it at once" "ended" "$(drv close 5000 2>&1)"
zarp_ended

finish
