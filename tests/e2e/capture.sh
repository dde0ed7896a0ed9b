#!/usr/bin/env bash
# A timed screen capture as a user makes it: 3秒 chosen from the menu with keys, then
# ｽｸﾘｰﾝ; the frame hides for the wait, and the view then shows the screen as it was at
# the end of the wait, at 100 % and, after a slider move, at 50 %, with grey beyond.
# Usage: capture.sh Zarp.exe zarp_driver.exe screenshot-folder
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

PATTERN_TITLE=zarp-e2e-pattern

# view_shows ZOOM SHOT: grabs the screen into SHOT and checks the view against the grab
# taken while Zarp was hidden.
view_shows() {
    screenshot "$2" && "$PY" "$E2E_DIR/pixels.py" zoomed "$2" $(geometry_of view-client) "$WORK/hidden.png" "$1"
}

pattern_on_screen() {
    screenshot "$WORK/probe.png" && "$PY" "$E2E_DIR/pixels.py" shows "$WORK/pattern.png" "$WORK/probe.png" 0 0
}

checked_buttons() { drv toolbar | grep checked; }

section "start"
"$PY" "$E2E_DIR/pixels.py" pattern "$WORK/pattern.png" 1200 704 >/dev/null
start_zarp
check "frame title" "title Zarp" "$(drv wait-window 20000 2>&1 | head -1)"

section "3秒 chosen from the capture menu with keys"
focus_frame || fail "the frame did not get the keyboard focus"
xdotool key alt+c
poll 6 output_is "popups 1" drv popups || fail "alt+c opened no menu"
xdotool key Down Down Right
poll 6 output_is "popups 2" drv popups || fail "the wait submenu did not open"
xdotool key Down Down Return
poll 6 output_is "popups 0" drv popups || fail "Return did not close the menus"
check "the menu checks 3秒 and nothing else" '    item 0x800B "3秒" enabled checked' \
    "$(drv menus 2>&1 | grep checked)"
poll 6 output_is "0x800B enabled checked" checked_buttons
check "the tool bar presses 3秒 and nothing else" "0x800B enabled checked" "$(checked_buttons)"

section "ｽｸﾘｰﾝ: hidden for the wait"
wine "$DRIVER" watch-hide 15000 >"$WORK/watch.txt" 2>&1 </dev/null &
WATCH_PID=$!
HELPER_PIDS+=("$WATCH_PID")
poll 6 grep -qx watching "$WORK/watch.txt" || fail "the watcher did not start"
xdotool key alt+c
poll 6 output_is "popups 1" drv popups || fail "alt+c opened no menu"
xdotool key s
if poll 6 grep -qx hidden "$WORK/watch.txt"; then
    pass "the frame hides"
else
    fail "the frame did not hide"
fi
# Only now put a known picture on the screen: what Zarp shows afterwards must be the screen
# at the end of the wait, not at its start.
display -geometry +0+0 -borderwidth 0 -title "$PATTERN_TITLE" "$WORK/pattern.png" >/dev/null 2>&1 </dev/null &
HELPER_PIDS+=($!)
poll 6 pattern_on_screen || fail "the test picture did not appear"
screenshot "$WORK/hidden.png"
check "still hidden after the reference grab" "visible 0" "$(drv frame 2>&1 | grep '^visible')"
check_true "the reference grab shows the test picture where the frame was" \
    "$PY" "$E2E_DIR/pixels.py" shows "$WORK/pattern.png" "$WORK/hidden.png" 0 0
wait "$WATCH_PID"
shown=$(awk '/^shown-after-ms/ {print $2}' "$WORK/watch.txt")
echo "      hidden for ${shown:-?} ms"
if [ -n "$shown" ] && [ "$shown" -ge 3000 ]; then pass "back no earlier than 3 s ($shown ms)"
else fail "back after ${shown:-never} ms, before the 3 s wait was over"; fi
if [ -n "$shown" ] && [ "$shown" -lt 4500 ]; then pass "back within 1.5 s after the wait"
else fail "back after ${shown:-never} ms"; fi

section "the captured picture at 100 %"
poll 6 view_shows 100 "$WORK/shot.png"
check_true "the view shows the screen pixel for pixel from its top-left corner" view_shows 100 "$WORK/shot.png"
cp "$WORK/shot.png" "$SCREENS/captured-100.png"
check "zoom still 100" "100 100" "$(zoombar_value)"
settle_file "tool bar: save, copy and range now enabled, 3秒 pressed" 3 "$EXPECTED/toolbar-captured.txt" drv toolbar
check_file "menus: save, copy and range now enabled, 3秒 checked" "$EXPECTED/menus-captured.txt" "$(drv menus 2>&1)"

section "text typed into the percent box does not zoom"
type_in_percent_box 50
poll 6 output_is "100 50" zoombar_value
sleep 0.35   # three of the frame's 100 ms updates: give a wrong reaction the time to show
check "slider and box keep their values" "100 50" "$(zoombar_value)"
check_true "the view still shows the picture at 100 %" view_shows 100 "$WORK/shot.png"

section "zoom 50 with the slider"
move_slider 50
poll 6 output_is "50 50" zoombar_value
check "slider and box at 50" "50 50" "$(zoombar_value)"
poll 6 view_shows 50 "$WORK/shot.png"
check_true "the view shows the picture at half size, grey beyond it" view_shows 50 "$WORK/shot.png"
cp "$WORK/shot.png" "$SCREENS/captured-50.png"

# capture_during_wait MENU-KEY MODE X: starts a capture (ｽｸﾘｰﾝ s, ｱｸﾃｨﾌﾟｳｨﾝﾄﾞｳ a) and,
# while the frame is hidden, shows a picture window at X,100 in MODE (front, menu).
capture_during_wait() {
    menu_keys c "$1"
    poll 6 output_has "visible 0" drv frame || fail "the frame did not hide"
    wine "$DRIVER" show-picture "$(winpath "$WORK/small.bmp")" "$3" 100 20000 "$2" >"$WORK/picture.out" 2>&1 </dev/null &
    HELPER_PIDS+=($!)
}
convert "$WORK/pattern.png" -crop 300x200+40+40 +repage BMP3:"$WORK/small.bmp"

section "a menu that another program opens during the wait is in the picture"
move_slider 100
capture_during_wait s menu 600
poll 6 grep -q "menu open" "$WORK/picture.out" || fail "the other program's menu did not open"
screenshot "$WORK/menu-ref.png"
# Waited for inside one driver process: Wine delays Zarp's timer while another program's
# menu is open and new processes keep starting.
drv wait-window 20000 >/dev/null || fail "the frame did not come back"
check "the frame is in front again" "foreground frame" "$(drv focus | grep '^foreground')"
drv close-picture
menu_keys e c
poll 6 clipboard_has_dib
drv clipboard-dib "$(winpath "$WORK")\\menu-shot.bmp" >/dev/null
check_true "the picture is the screen with that menu open" px picture "$WORK/menu-shot.bmp" "$WORK/menu-ref.png" 100

section "an active window wholly off the screen: a box, and the picture stays"
capture_during_wait a front 2100
box_says "the box says why" "アクティブウィンドウが画面の外にあるため、取り込めませんでした。" 20000
drv close-picture
screenshot "$WORK/after-box.png"
check_true "the view still shows the earlier picture" px zoomed "$WORK/after-box.png" $(geometry_of view-client) \
    "$WORK/menu-ref.png" 100

section "leaving"
check "WM_CLOSE ends it at once, no question box" "ended" "$(drv close 5000 2>&1)"
zarp_ended

finish
