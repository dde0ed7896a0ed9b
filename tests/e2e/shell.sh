#!/usr/bin/env bash
# The main window as a user meets it: title, menus, tool bar, zoom bar and its slider,
# the About box, leaving, and starting with a file on the command line.
# Usage: shell.sh Zarp.exe zarp_driver.exe screenshot-folder
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

# box_digits: how many digits the percent box visibly shows (from a screen grab).
box_digits() {
    screenshot "$WORK/box.png"
    "$PY" "$E2E_DIR/pixels.py" digits "$WORK/box.png" $(geometry_of edit)
}

section "start without arguments"
start_zarp
check "frame title and class" "$(printf 'title Zarp\nclass ZfwFrame')" "$(drv wait-window 20000 2>&1)"

section "menus"
check_file "every menu, item, separator and state; 1秒 the only wait checked" \
    "$EXPECTED/menus.txt" "$(drv menus 2>&1)"

section "tool bar"
settle_file "21 buttons and separators in order; 1秒 pressed; save, copy, range disabled" 3 \
    "$EXPECTED/toolbar.txt" drv toolbar

section "zoom bar"
settle_file "docked at the right edge, slider 10..200 at 100, box shows 100" 3 \
    "$EXPECTED/zoombar.txt" drv zoombar
poll 6 output_is 3 box_digits   # the repaint may trail the text
check "the percent box shows all three digits of 100" 3 "$(box_digits)"

section "capture menu with its wait submenu"
focus_frame || fail "the frame did not get the keyboard focus"
xdotool key alt+c
poll 6 output_is "popups 1" drv popups || fail "alt+c opened no menu"
xdotool key Down Down Right
if poll 6 output_is "popups 2" drv popups; then
    read -r fx fy fw fh <<<"$(geometry_of frame)"
    import -window root -crop "${fw}x${fh}+${fx}+${fy}" +repage "$SCREENS/capture-menu.png"
    pass "menu and submenu open; screenshot capture-menu.png"
else
    fail "the wait submenu did not open"
fi
xdotool key Escape Escape
poll 6 output_is "popups 0" drv popups || fail "Escape did not close the menus"

section "zoom slider"
drag_slider 150
poll 6 output_has "focus msctls_trackbar32 1008" drv focus
dragged=$(zoombar_value | cut -d' ' -f1)
if [ "${dragged:-0}" -ge 145 ] && [ "$dragged" -le 155 ]; then pass "a mouse drag of the thumb moves the slider (to $dragged)"
else fail "a drag of the thumb towards 150 left the slider at ${dragged:-?}"; fi
key_slider_to 150
park_pointer
poll 6 output_is "150 150" zoombar_value
check "slider at 150 by mouse and arrow keys; the box follows" "150 150" "$(zoombar_value)"
poll 6 output_is 3 box_digits
check "the percent box shows all three digits of 150" 3 "$(box_digits)"

type_in_percent_box 77
poll 6 output_is "150 77" zoombar_value
sleep 0.35   # three of the frame's 100 ms updates: give a wrong reaction the time to show
check "typed text changes neither the slider nor the box" "150 77" "$(zoombar_value)"

click_at_centre $(geometry_of thumb)
poll 6 output_has "focus msctls_trackbar32 1008" drv focus || fail "the slider did not take the focus"
xdotool key Down
poll 6 output_is "151 151" zoombar_value
check "the next slider move replaces the typed text" "151 151" "$(zoombar_value)"

xdotool key Home
poll 6 output_is "10 10" zoombar_value
check "Home: the slider's low end" "10 10" "$(zoombar_value)"
# Up at the low end must do nothing: after Up then Down a clamped slider stands at 11.
xdotool key Up Down
poll 6 output_is "11 11" zoombar_value
check "the slider stops at 10" "11 11" "$(zoombar_value)"
xdotool key End
poll 6 output_is "200 200" zoombar_value
check "End: the slider's high end" "200 200" "$(zoombar_value)"
xdotool key Down Up
poll 6 output_is "199 199" zoombar_value
check "the slider stops at 200" "199 199" "$(zoombar_value)"
drag_slider 0
poll 6 output_is "10 10" zoombar_value
check "dragged past the top: 10" "10 10" "$(zoombar_value)"
drag_slider 999
poll 6 output_is "200 200" zoombar_value
check "dragged past the bottom: 200" "200 200" "$(zoombar_value)"

section "About box"
read -r bx by bw bh <<<"$(geometry_of 'button 0xE140')"
# Coming from outside the frame, Wine may drop the first motion: nudge until the button is hot.
for nudge in 0 1 0 1 0 1; do
    xdotool mousemove $((bx + bw / 2 + nudge)) $((by + bh / 2))
    poll 0.3 output_is "hot 0xE140" drv hot && break
done
check "the pointer rests on the About button" "hot 0xE140" "$(drv hot 2>&1)"
xdotool click 1
check_file "opened by its tool-bar button: modal, owned by the frame, its texts" \
    "$EXPECTED/about.txt" "$(drv dialog 5000 2>&1)"
check "the frame is disabled while it is open" "enabled 0" "$(drv frame | grep '^enabled')"
screenshot "$SCREENS/about.png"
click_dialog_button 1
check_true "closed by OK" drv wait-no-dialog 3000
check "the frame is enabled again" "enabled 1" "$(drv frame | grep '^enabled')"

focus_frame || fail "the frame did not get the keyboard focus"
xdotool key alt+h
poll 6 output_is "popups 1" drv popups || fail "alt+h opened no menu"
xdotool key a
check "opened from the help menu by keys" "caption Zarp のﾊﾞｰｼﾞｮﾝ情報" "$(drv dialog 5000 2>&1 | head -1)"
xdotool key Escape
check_true "closed by Esc" drv wait-no-dialog 3000
check "the frame is enabled again" "enabled 1" "$(drv frame | grep '^enabled')"

section "leaving with WM_CLOSE"
check "ends at once, no question box" "ended" "$(drv close 5000 2>&1)"
zarp_ended

section "command line naming an existing file"
printf 'not a picture\n' >"$WORK/run/existing.zrp"
start_zarp existing.zrp
check "frame title and class" "$(printf 'title Zarp\nclass ZfwFrame')" "$(drv wait-window 20000 2>&1)"
check_file "the same menus as without a file" "$EXPECTED/menus.txt" "$(drv menus 2>&1)"
settle_file "the same tool bar" 3 "$EXPECTED/toolbar.txt" drv toolbar
settle_file "the same zoom bar" 3 "$EXPECTED/zoombar.txt" drv zoombar
focus_frame || fail "the frame did not get the keyboard focus"
xdotool key alt+f
poll 6 output_is "popups 1" drv popups || fail "alt+f opened no menu"
xdotool key x
check "ｱﾌﾟﾘｹｰｼｮﾝの終了 ends it, no question box" "ended" "$(drv wait-exit 5000 2>&1)"
zarp_ended

section "command line naming a missing file"
start_zarp no-such-file.zrp
box=$(drv dialog 20000 2>&1)
check "an error box captioned Zarp" "caption Zarp" "$(head -1 <<<"$box")"
check "it names the file" 'control -1 Static "no-such-file.zrp が見つかりません。"' \
    "$(grep '^control -1 Static' <<<"$box")"
check "it has an OK button" 'control 1 Button "OK"' "$(grep '^control 1 ' <<<"$box")"
screenshot "$SCREENS/missing-file.png"
click_dialog_button 1
check "the program ends once the box is dismissed" "ended" "$(drv wait-exit 5000 2>&1)"
zarp_ended

section "the session ends with the save dialog open"
INI=$(find "$WINEPREFIX/drive_c/users" -maxdepth 4 -name Zarp.ini | head -1)
recent() { tr -d '\r' <"$INI" | grep '^File1='; }
check "the last exit recorded the file in the profile" "File1=$(winpath "$WORK/run/existing.zrp")" "$(recent)"
rm -f "$INI"
start_zarp existing.zrp
check "frame title" "title Zarp" "$(drv wait-window 20000 2>&1 | head -1)"
capture_screen
menu_keys f a
check "the save dialog is open" "caption 名前を付けて保存" "$(drv file-dialog 10000 2>&1 | head -1)"
wineboot --end-session >/dev/null 2>&1 </dev/null
check "Zarp ends with the session" "ended" "$(drv wait-exit 10000 2>&1)"
zarp_ended
check "and wrote its profile as an exit does" "File1=$(winpath "$WORK/run/existing.zrp")" "$(recent)"

# starts_with_box ARGS...: Zarp started with ARGS shows one box captioned Zarp, ends once
# it is dismissed; prints the box's text.
starts_with_box() {
    start_zarp "$@"
    local box
    box=$(drv dialog 20000 2>&1)
    click_dialog_button 1
    drv wait-exit 5000 >/dev/null 2>&1 || echo "did not end"
    zarp_ended
    printf '%s\n' "$box" | grep -E '^(caption|control -1 Static)'
}
section "a device named on the command line, and printing without a printer"
check "aux.txt: refused with the framework's box" \
    "$(printf 'caption Zarp\ncontrol -1 Static "aux.txt のパスが正しくありません。"')" "$(starts_with_box aux.txt)"
check "and not recorded" 0 "$(grep -ci 'aux' "$INI" 2>&1)"
check "/p with no printer: a box, then a clean end" \
    "$(printf 'caption Zarp\ncontrol -1 Static "印刷できません。プリンターが設定されていないか、使用できません。"')" \
    "$(starts_with_box /p existing.zrp)"

finish
