#!/usr/bin/env bash
# Zarp with the keyboard alone (xdotool keys): the focus starts in the picture; Tab,
# Shift+Tab and F6 move it between the picture, the percent box and the zoom slider; the
# arrow keys on the slider change the zoom; Shift+F10 and the context-menu key open the
# picture's menu at the view's corner, or at the range's corner when there is a range,
# greyed as the right-click's; the arrow, page, Home and End keys scroll the picture. A
# right-click still opens exactly one menu.
# Usage: keys.sh Zarp.exe zarp_driver.exe screenshot-folder
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

L=101 T=53 R=317 B=211   # a range in view client coordinates, right and bottom exclusive
W=$((R - L)) H=$((B - T))
VIEW="focus ZfwView -5888"
EDIT="focus Edit 1009"
SLIDER="focus msctls_trackbar32 1008"

# press KEY EXPECTED-FOCUS: a key, then the control that has the focus afterwards.
press() {
    xdotool key "$1"
    poll 6 output_has "$2" drv focus
    check "$1 → ${2#focus }" "$2" "$(drv focus | grep '^focus')"
}

# keyboard_menu KEY: opens the context menu with KEY; prints where it is and its items.
keyboard_menu() {
    xdotool key "$1"
    poll 6 output_is "popups 1" drv popups || { echo "no menu"; return 1; }
    drv popup-menus | sed 's/^\(menu [0-9]* [0-9]*\) .*/\1/'
}
# menu_text X Y COPY SAVE: what keyboard_menu prints for the picture's menu at X,Y.
menu_text() {
    printf 'menu %s %s\n  item 0xE122 "ｺﾋﾟｰ(&C)\\tCtrl+C" %s\n  separator\n  item 0xE104 "名前を付けて保存(&A)..." %s' "$@"
}
# menu_rows: the state of each text row of the open menu, as a screenshot shows it.
menu_rows() {
    local x y w h
    read -r _ x y w h <<<"$(drv popup-menus | head -1)"
    screenshot "$1" && px menu-rows "$1" "$x" "$y" "$w" "$h"
}
close_menu() { xdotool key Escape; poll 6 output_is "popups 0" drv popups; }

# view_from X Y: the view shows the picture (the screen at 100 %) scrolled to X,Y.
view_from() {
    screenshot "$WORK/view.png" && px same "$WORK/view.png" "$vx" "$vy" "$WORK/ref.png" "$1" "$2" "$vw" "$vh"
}

section "a known picture under Zarp"
show_reference_pattern || finish

section "the keyboard starts in the picture; before a capture Shift+F10 opens nothing"
start_zarp
check "frame title" "title Zarp" "$(drv wait-window 20000 2>&1 | head -1)"
focus_frame || fail "the frame did not get the keyboard focus"
check "the picture has the focus" "$VIEW" "$(drv focus | grep '^focus')"
xdotool key shift+F10
if poll 0.5 output_is "popups 1" drv popups; then fail "Shift+F10 opened a menu"; close_menu
else pass "Shift+F10 opens nothing"; fi

section "capture, then Tab, Shift+Tab and F6"
capture_screen
poll 6 view_matches 100
check_true "the view shows the screen at 100 %" view_matches 100
focus_frame || fail "the frame did not get the keyboard focus"
check "after the capture the picture has the focus" "$VIEW" "$(drv focus | grep '^focus')"
press Tab "$EDIT"
press Tab "$SLIDER"
press Tab "$VIEW"
press shift+Tab "$SLIDER"
press F6 "$VIEW"
press F6 "$EDIT"
press shift+F6 "$VIEW"
press shift+Tab "$SLIDER"

section "the arrow keys on the slider change the zoom"
xdotool key Down Down Down Down Down
poll 6 output_is "105 105" zoombar_value
check "five times Down: 105 in the slider and the box" "105 105" "$(zoombar_value)"
key_slider_to 50
poll 6 output_is "50 50" zoombar_value
check "Up to 50" "50 50" "$(zoombar_value)"
poll 6 view_matches 50
check_true "the view shows the picture at 50 %" view_matches 50
key_slider_to 100
poll 6 view_matches 100
check_true "back at 100 %" view_matches 100

section "range mode on, no range: Shift+F10 opens the menu greyed at the view's corner"
menu_keys s s
read -r vx vy vw vh <<<"$(geometry_of view-client)"
press F6 "$VIEW"
check "at the view's top-left corner, both items grayed" "$(menu_text "$vx" "$vy" grayed grayed)" \
    "$(keyboard_menu shift+F10)"
check "both rows look grayed" "grayed grayed" "$(menu_rows "$SCREENS/keys-menu-grayed.png")"
close_menu

section "with a range the menu opens at its corner, and its ｺﾋﾟｰ copies the range"
drag_in_view $L $T $R $B
park_pointer
poll 6 view_framed $L $T $R $B
hold_clipboard_text "zarp-e2e keys" || fail "xclip did not take the clipboard"
focus_frame || fail "the frame did not get the keyboard focus"
check "Shift+F10: at the range's top-left corner, both items enabled" \
    "$(menu_text $((vx + L)) $((vy + T)) enabled enabled)" "$(keyboard_menu shift+F10)"
check "both rows look enabled" "enabled enabled" "$(menu_rows "$SCREENS/keys-menu.png")"
xdotool key c
poll 6 output_is "popups 0" drv popups
poll 6 clipboard_has_dib
check "ｺﾋﾟｰ puts a ${W}x${H} DIB on the clipboard" "dib $W $H" \
    "$(drv clipboard-dib "$(winpath "$WORK")\\keys-copy.bmp" | cut -d' ' -f1-3)"
check_true "with the range's pixels" px picture "$WORK/keys-copy.bmp" "$WORK/ref.png" 100 $L $T
check "the context-menu key opens the same menu" "$(menu_text $((vx + L)) $((vy + T)) enabled enabled)" \
    "$(keyboard_menu Menu)"
close_menu

section "the keys scroll the picture"
# The picture is the whole screen at 100 %: a page is a tenth of it, a line a tenth of a page.
read -r sw sh <<<"$(identify -format '%w %h' "$WORK/ref.png")"
PAGE=$((sh / 10)) LINE=$((sh / 100)) HLINE=$((sw / 100))
xdotool key Next
check "Shift+F10 once Page Down took the range's corner above the view: at the view's top edge" \
    "$(menu_text $((vx + L)) "$vy" enabled enabled)" "$(keyboard_menu shift+F10)"
close_menu
menu_keys s s             # range mode off: the plain picture, to compare with the screen
poll 6 view_from 0 $PAGE
check_true "Page Down: the picture moves up by a page ($PAGE pixels)" view_from 0 $PAGE
xdotool key Down Right
poll 6 view_from $HLINE $((PAGE + LINE))
check_true "Down and Right: a line each ($LINE and $HLINE pixels)" view_from $HLINE $((PAGE + LINE))
xdotool key End
poll 6 view_from $HLINE $((sh - vh))
check_true "End: the bottom of the picture" view_from $HLINE $((sh - vh))
xdotool key Prior
poll 6 view_from $HLINE $((sh - vh - PAGE))
check_true "Page Up: a page back" view_from $HLINE $((sh - vh - PAGE))
xdotool key Home Left
poll 6 view_matches 100
check_true "Home and Left: the top-left corner again" view_matches 100

section "a right-click opens exactly one menu"
xdotool mousemove $((vx + 200)) $((vy + 150)) click 3
poll 6 output_is "popups 1" drv popups
check "the right-click opens the menu at the pointer" "$(menu_text $((vx + 200)) $((vy + 150)) enabled enabled)" \
    "$(drv popup-menus | sed 's/^\(menu [0-9]* [0-9]*\) .*/\1/')"
close_menu
park_pointer
if poll 1 output_is "popups 1" drv popups; then fail "a second menu opened after the first closed"; close_menu
else pass "no second menu after it closed"; fi

section "leaving"
check "WM_CLOSE ends it at once" "ended" "$(drv close 5000 2>&1)"
zarp_ended

finish
