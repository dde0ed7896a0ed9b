#!/usr/bin/env bash
# Copying by real input: a range marked with a mouse drag in range mode, the dotted frame
# while dragging, after the button is released, after the view was covered and after it
# was scrolled away and back; Ctrl+C (with the range out of sight) and what another
# program then reads from the clipboard (Windows CF_DIB and the X clipboard's image/bmp);
# with range mode off Ctrl+Insert copies the whole picture at the zoom shown; before any
# capture Ctrl+C leaves the clipboard alone.
# Usage: range.sh Zarp.exe zarp_driver.exe screenshot-folder
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

# The marked range in view client coordinates (right and bottom exclusive): off the
# pattern's 8-pixel grid on every side.
L=101 T=53 R=317 B=211
W=$((R - L)) H=$((B - T))
TEXT="zarp-e2e 範囲 keep"

section "a known picture under Zarp"
show_reference_pattern || finish

section "before any capture Ctrl+C copies nothing"
hold_clipboard_text "$TEXT" || fail "xclip did not take the clipboard"
start_zarp
check "frame title" "title Zarp" "$(drv wait-window 20000 2>&1 | head -1)"
check "Wine sees the X client's text" "13 CF_UNICODETEXT" "$(drv clipboard | grep -x '13 CF_UNICODETEXT')"
focus_frame || fail "the frame did not get the keyboard focus"
xdotool key ctrl+c
# Keys are handled in order: once Alt+C has opened its menu, Ctrl+C is behind us.
xdotool key alt+c
poll 6 output_is "popups 1" drv popups || fail "alt+c opened no menu"
xdotool key Escape
poll 6 output_is "popups 0" drv popups
check "the text is still on the clipboard" "$TEXT" "$(xclip -selection clipboard -o 2>&1)"
check_true "its X owner still holds it" kill -0 "$XCLIP_PID"
check "no CF_DIB" "" "$(drv clipboard | grep -x '8 CF_DIB')"

section "capture with the 1秒 wait"
check "1秒 is the wait" '    item 0x8009 "1秒" enabled checked' "$(drv menus 2>&1 | grep checked)"
capture_screen
poll 6 view_matches 100
check_true "the view shows the screen at 100 %" view_matches 100

section "range mode on with keys"
menu_keys s s
check "範囲を指定する is checked" '  item 0x8008 "範囲を指定する(&S)" enabled checked' \
    "$(drv menus 2>&1 | grep 0x8008)"
check "no range yet: ｺﾋﾟｰ is grayed" '  item 0xE122 "ｺﾋﾟｰ(&C)\tCtrl+C" grayed' "$(drv menus 2>&1 | grep 0xE122)"

section "a mouse drag marks the range"
drag_in_view $L $T $R $B "$SCREENS/range-dragging.png"
read -r ml mt mr mb <<<"$DRAG_MID"
check_true "mid-drag: the dotted band from the start to the pointer, nothing else changed" \
    px framed "$SCREENS/range-dragging.png" $(geometry_of view-client | cut -d' ' -f1,2) "$WORK/ref.png" 0 0 \
    $(geometry_of view-client | cut -d' ' -f3,4) "$ml" "$mt" "$mr" "$mb"
poll 6 view_framed $L $T $R $B
check_true "after the button-up the dotted frame stays where the drag ended" view_framed $L $T $R $B \
    "$SCREENS/range-marked.png"
check "ｺﾋﾟｰ is enabled" '  item 0xE122 "ｺﾋﾟｰ(&C)\tCtrl+C" enabled' "$(drv menus 2>&1 | grep 0xE122)"

section "the frame survives being covered and scrolled away"
read -r vx vy vw vh <<<"$(geometry_of view-client)"
convert -size 420x300 'xc:#2050d0' "$WORK/cover.png"
display -geometry +$((vx + 40))+$((vy + 20)) -borderwidth 0 -title zarp-e2e-cover "$WORK/cover.png" \
    >/dev/null 2>&1 </dev/null &
COVER_PID=$!
HELPER_PIDS+=("$COVER_PID")
cover_shown() { screenshot "$WORK/covered.png" && px shows "$WORK/cover.png" "$WORK/covered.png" $((vx + 40)) $((vy + 20)); }
poll 5 cover_shown
check_true "another window lies over the range" cover_shown
kill "$COVER_PID"
wait "$COVER_PID" 2>/dev/null
poll 6 view_framed $L $T $R $B
check_true "uncovered: picture and frame as before" view_framed $L $T $R $B
# Wine keeps a covered window's pixels, so uncovering repaints nothing. Scrolling does:
# paged to the right end (the range leaves the view) and later back, the view draws it anew.
read -r sw sh <<<"$(identify -format '%w %h' "$WORK/ref.png")"
at_right_end() { screenshot "$WORK/view.png" && px same "$WORK/view.png" "$vx" "$vy" "$WORK/ref.png" $((sw - vw)) 0 "$vw" "$vh"; }
for _ in 1 2 3 4; do xdotool mousemove $((vx + vw - 30)) $((vy + vh + 8)) click 1; done
park_pointer
poll 6 at_right_end
check_true "paged with the scroll bar to the picture's right end ($((sw - vw)) pixels)" at_right_end

section "Ctrl+C, while the range is scrolled out of sight, copies the marked part"
focus_frame || fail "the frame did not get the keyboard focus"
xdotool key ctrl+c
poll 6 clipboard_has_dib
check "CF_DIB on the clipboard" "8 CF_DIB" "$(drv clipboard | grep -x '8 CF_DIB')"
check_true "the X owner lost the clipboard" poll 6 eval '! kill -0 "$XCLIP_PID"'
check "another program reads a ${W}x${H} DIB" "dib $W $H" \
    "$(drv clipboard-dib "$(winpath "$WORK")\\copy.bmp" | cut -d' ' -f1-3)"
check_true "its pixels are the marked part of the screen" px picture "$WORK/copy.bmp" "$WORK/ref.png" 100 $L $T
check "Pillow decodes it as opaque RGB" "BMP RGB ${W}x${H}" "$(px info "$WORK/copy.bmp")"
check "ImageMagick decodes it as opaque (its fourth bytes are 0xFF)" "BMP3 $W $H true" \
    "$(identify -format '%m %w %h %[opaque]' "$WORK/copy.bmp" 2>&1)"
xclip -selection clipboard -t image/bmp -o >"$WORK/x.bmp" 2>"$WORK/xclip.err"
check "the X clipboard's image/bmp decodes in ImageMagick to ${W}x${H}" "${W}x${H}" \
    "$(identify -format '%wx%h' "$WORK/x.bmp" 2>&1)"
check_true "with the same pixels" px picture "$WORK/x.bmp" "$WORK/ref.png" 100 $L $T

section "paged back"
for _ in 1 2 3 4; do xdotool mousemove $((vx + 30)) $((vy + vh + 8)) click 1; done
park_pointer
poll 6 view_framed $L $T $R $B
check_true "the picture drawn anew, with the frame" view_framed $L $T $R $B

section "a drag released over the zoom bar ends there: the range runs to the release point"
read -r vx vy vw vh <<<"$(geometry_of view-client)"
read -r sx sy sw2 sh2 <<<"$(geometry_of channel)"
L2=41 T2=37
R2=$((sx + sw2 / 2 - vx)) B2=$((sy + sh2 / 2 - vy))   # the slider's channel, right of the view
xdotool mousemove $((vx + L2)) $((vy + T2)) mousedown 1
for step in 1 2 3 4; do
    xdotool mousemove $((vx + L2 + (R2 - L2) * step / 4)) $((vy + T2 + (B2 - T2) * step / 4))
done
xdotool mouseup 1
park_pointer
poll 6 output_has '  item 0xE122 "ｺﾋﾟｰ(&C)\tCtrl+C" enabled' drv menus
screenshot "$WORK/released.png"
# With the button up the pointer crosses the view: nothing may follow it.
for step in 1 2 3 4; do xdotool mousemove $((vx + 60 * step)) $((vy + 40 * step)); done
sleep 0.3   # moves are handled in a few milliseconds: give a band that follows them the time to show
park_pointer
screenshot "$WORK/moved.png"
check_true "moving with the button up changes nothing on the screen" \
    px same "$WORK/released.png" "$vx" "$vy" "$WORK/moved.png" "$vx" "$vy" "$vw" "$vh"
focus_frame || fail "the frame did not get the keyboard focus"
xdotool key ctrl+c
W2=$((R2 - L2)) H2=$((B2 - T2))
released_size() { drv clipboard-dib "$(winpath "$WORK")\\released.bmp" | cut -d' ' -f1-3; }
poll 6 output_is "dib $W2 $H2" released_size
check "Ctrl+C: a ${W2}x${H2} DIB, from the press to the release point" "dib $W2 $H2" "$(released_size)"
check_true "its pixels are that part of the screen" px picture "$WORK/released.bmp" "$WORK/ref.png" 100 $L2 $T2

section "range mode off: Ctrl+Insert copies the whole picture at the zoom shown"
menu_keys s s
poll 6 view_matches 100
check_true "the frame is gone" view_matches 100
move_slider 50
poll 6 view_matches 50
check_true "the view shows the picture at 50 %" view_matches 50
focus_frame || fail "the frame did not get the keyboard focus"
xdotool key ctrl+Insert
copied_size() { drv clipboard-dib "$(winpath "$WORK")\\whole.bmp" | cut -d' ' -f1-3; }
poll 6 output_is "dib $((sw / 2)) $((sh / 2))" copied_size
check "a $((sw / 2))x$((sh / 2)) DIB" "dib $((sw / 2)) $((sh / 2))" "$(copied_size)"
check_true "equal to the screen at 50 %" px picture "$WORK/whole.bmp" "$WORK/ref.png" 50

section "leaving"
check "WM_CLOSE ends it at once" "ended" "$(drv close 5000 2>&1)"
zarp_ended

finish
