#!/usr/bin/env bash
# Save As through the platform's save dialog, filled in by the driver as a user would:
# the default extension, the picture at the zoom shown and the marked range (decoded by
# ImageMagick and by Pillow), the replace question, a read-only file refused with a
# warning, cancelling, the remembered folder in "zp.x" (bytes and read-only mode) and
# after a restart, the right-button context menu, a start in another folder, a zp.x
# naming folders the dialog cannot open (a folder called aux, CON), a save over a
# link, and a zp.x that is a link.
# Usage: save.sh Zarp.exe zarp_driver.exe screenshot-folder
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

RUN=$WORK/run
SHOTS=$WORK/保存先        # a Japanese folder name: zp.x holds it in code page 932
OTHER=$WORK/other
mkdir -p "$SHOTS" "$OTHER"
L=37 T=29 R=258 B=190    # a range in view client coordinates, right and bottom exclusive
W=$((R - L)) H=$((B - T))

# dialog_text FOLDER: what file-dialog prints for a fresh save dialog in that folder.
dialog_text() {
    printf 'caption 名前を付けて保存\nowner frame\nfolder %s\ntype %s\ntypes %s|%s\nname ' "$(winpath "$1")" "$BMP_TYPE" \
        "$BMP_TYPE" "$PNG_TYPE"
}
BMP_TYPE='ﾋﾞｯﾄﾏｯﾌﾟｲﾒｰｼﾞ (*.bmp)' PNG_TYPE='PNG ｲﾒｰｼﾞ (*.png)'

# open_save_as: 名前を付けて保存 from the file menu, by keys.
open_save_as() { menu_keys f a; }

# zarp_idle: Zarp has finished whatever the last input started: it opens and closes its
# file menu only from its message loop.
frame_enabled() { drv frame | grep -q '^enabled 1'; }
zarp_idle() {  # a save under way takes no input (its frame is disabled): waited for first
    poll 20 frame_enabled
    focus_frame && xdotool key alt+f && poll 6 output_is "popups 1" drv popups &&
        xdotool key Escape && poll 6 output_is "popups 0" drv popups
}

# listing FOLDER: names and sizes of the files in the folder.
listing() { (cd "$1" && find . -type f -printf '%p %s\n' | sort); }

question='question エラー: ファイルは既に存在します。\n上書きしますか?'

section "a known picture under Zarp"
show_reference_pattern || finish

section "start in a fresh folder: zp.x remembers the start folder"
start_zarp
check "frame title" "title Zarp" "$(drv wait-window 20000 2>&1 | head -1)"
poll 6 test -f "$RUN/zp.x"
check "zp.x holds the start folder, in the exact bytes" "$(settings_bytes "$RUN")" "$(bytes_of "$RUN/zp.x")"
check "zp.x is read-only" 444 "$(stat -c %a "$RUN/zp.x")"

section "no context menu before a capture"
read -r vx vy vw vh <<<"$(geometry_of view-client)"
xdotool mousemove $((vx + 200)) $((vy + 150)) click 3
# Later in this scenario a right-click opens its menu well within this time.
if poll 0.5 output_is "popups 1" drv popups; then fail "a right-click opened a menu"; else pass "a right-click opens nothing"; fi

section "the picture at 50 %, saved under a name without extension"
capture_screen
move_slider 50
poll 6 view_matches 50
check_true "the view shows the picture at 50 %" view_matches 50
open_save_as
check "the save dialog: its title, owner, the start folder, BMP chosen and first, PNG second" "$(dialog_text "$RUN")" \
    "$(drv file-dialog 10000 2>&1)"
screenshot "$SCREENS/save-dialog.png"
check "Save with the name shot" "$(printf 'typed shot\nclosed')" "$(drv save-as shot yes 2>&1)"
poll 6 test -f "$RUN/shot.bmp"
check "shot.bmp, a 960x540 BMP for ImageMagick" "BMP3 960 540" \
    "$(identify -format '%m %w %h' "$RUN/shot.bmp" 2>&1)"
convert "$RUN/shot.bmp" "$WORK/shot.png"
check_true "ImageMagick's reading: the screen at 50 %" px picture "$WORK/shot.png" "$WORK/ref.png" 50
check_true "Pillow's reading: the screen at 50 %" px picture "$RUN/shot.bmp" "$WORK/ref.png" 50
check_true "the same as the view shows" px same "$WORK/view.png" "$vx" "$vy" "$WORK/shot.png" 0 0 \
    $((vw < 960 ? vw : 960)) $((vh < 540 ? vh : 540))
check "zp.x unchanged: the start folder again" "$(settings_bytes "$RUN")" "$(bytes_of "$RUN/zp.x")"

not_kept="画像は保存しましたが、保存先のフォルダーを次回のために記憶できません。zp.x に書き込めません。"  # + the cause
section "a full path into another folder, a Japanese name"
open_save_as
check "the dialog opens in the start folder" "folder $(winpath "$RUN")" "$(drv file-dialog 10000 | grep '^folder')"
check "Save" "closed" "$(drv save-as "$(winpath "$SHOTS")\\ｷｬﾌﾟﾁｬｰ1" yes 2>&1 | tail -1)"
poll 6 test -f "$SHOTS/ｷｬﾌﾟﾁｬｰ1.bmp"
check_true "ｷｬﾌﾟﾁｬｰ1.bmp holds the screen at 50 %" px picture "$SHOTS/ｷｬﾌﾟﾁｬｰ1.bmp" "$WORK/ref.png" 50
check "zp.x now holds that folder, in code page 932" "$(settings_bytes "$SHOTS")" "$(bytes_of "$RUN/zp.x")"
check "zp.x is read-only again" 444 "$(stat -c %a "$RUN/zp.x")"

section "a marked range at 100 %, saved over the existing file"
move_slider 100
menu_keys s s
poll 6 view_matches 100
drag_in_view $L $T $R $B
poll 6 view_framed $L $T $R $B
check_true "the range is marked" view_framed $L $T $R $B
old=$(bytes_of "$SHOTS/ｷｬﾌﾟﾁｬｰ1.bmp")
open_save_as
check "the dialog opens in the folder of the last save" "folder $(winpath "$SHOTS")" \
    "$(drv file-dialog 10000 | grep '^folder')"
check "the existing name: the replace question; no keeps the dialog" \
    "$(printf 'typed ｷｬﾌﾟﾁｬｰ1\n%s\nanswered no\ndialog stays\ncancelled' "$question")" \
    "$(drv save-as ｷｬﾌﾟﾁｬｰ1 no 2>&1)"
zarp_idle
check "after no and cancel the file is as it was" "$old" "$(bytes_of "$SHOTS/ｷｬﾌﾟﾁｬｰ1.bmp")"
open_save_as
check "yes replaces it" "$(printf 'typed ｷｬﾌﾟﾁｬｰ1\n%s\nanswered yes\nclosed' "$question")" \
    "$(drv save-as ｷｬﾌﾟﾁｬｰ1 yes 2>&1)"
zarp_idle
check "ImageMagick: now ${W}x${H}" "BMP3 $W $H" "$(identify -format '%m %w %h' "$SHOTS/ｷｬﾌﾟﾁｬｰ1.bmp" 2>&1)"
convert "$SHOTS/ｷｬﾌﾟﾁｬｰ1.bmp" "$WORK/range.png"
check_true "ImageMagick's reading: the marked part of the screen" px picture "$WORK/range.png" "$WORK/ref.png" 100 $L $T
check_true "Pillow's reading: the same" px picture "$SHOTS/ｷｬﾌﾟﾁｬｰ1.bmp" "$WORK/ref.png" 100 $L $T
check "no file besides it" "./ｷｬﾌﾟﾁｬｰ1.bmp $(stat -c %s "$SHOTS/ｷｬﾌﾟﾁｬｰ1.bmp")" "$(listing "$SHOTS")"

section "a read-only file is refused"
printf 'read-only, keep me\n' >"$OTHER/ro.bmp"
chmod 444 "$OTHER/ro.bmp"
settings_before=$(bytes_of "$RUN/zp.x")
open_save_as
drv save-as "$(winpath "$OTHER")\\ro.bmp" yes >"$WORK/ro.out" 2>&1
check "the dialog asks to replace it" "$question" "$(grep '^question' "$WORK/ro.out")"
box=$(drv dialog 5000 2>&1)
check "a warning box owned by the frame, captioned 警告" "$(printf 'caption 警告\nowner frame')" "$(head -2 <<<"$box")"
check "its text names the file" 'control -1 Static "ro.bmp に書き込めません。読取専用か、または使用中です。"' \
    "$(grep '^control -1 Static' <<<"$box")"
check "its one button: OK" 'control 1 Button "OK"' "$(grep '^control [0-9]* Button' <<<"$box")"
screenshot "$SCREENS/readonly-warning.png"
click_dialog_button 1
check_true "closed by a click on OK" drv wait-no-dialog 3000
zarp_idle
check "the file is untouched" "read-only, keep me" "$(cat "$OTHER/ro.bmp")"
check "and still read-only" 444 "$(stat -c %a "$OTHER/ro.bmp")"
check "nothing else in its folder" "./ro.bmp 19" "$(listing "$OTHER")"
check "zp.x untouched" "$settings_before" "$(bytes_of "$RUN/zp.x")"
open_save_as
check "the next dialog opens where the last save went" "folder $(winpath "$SHOTS")" \
    "$(drv file-dialog 10000 | grep '^folder')"

section "cancelling changes nothing"
before=$(listing "$SHOTS"; listing "$OTHER"; listing "$RUN")
check "Cancel" "cancelled" "$(drv save-as ignored cancel 2>&1)"
zarp_idle
check "no file written or removed" "$before" "$(listing "$SHOTS"; listing "$OTHER"; listing "$RUN")"
check "zp.x untouched" "$settings_before" "$(bytes_of "$RUN/zp.x")"
close_zarp

section "a restart remembers the folder"
start_zarp
check "frame title" "title Zarp" "$(drv wait-window 20000 2>&1 | head -1)"
check "zp.x still holds the last folder" "$settings_before" "$(bytes_of "$RUN/zp.x")"
capture_screen
poll 6 view_matches 100
open_save_as
check "the save dialog opens in the folder of the last save" "$(dialog_text "$SHOTS")" \
    "$(drv file-dialog 10000 2>&1)"
check "Cancel" "cancelled" "$(drv save-as ignored cancel 2>&1)"

section "the context menu"
# menu_at X Y: a right-click at the screen point; prints the probe's reading of the menu.
menu_at() {
    xdotool mousemove "$1" "$2" click 3
    poll 6 output_is "popups 1" drv popups || { echo "no menu"; return 1; }
    drv popup-menus
}
# menu_rows: the state of each text row of the open menu, as a screenshot shows it.
menu_rows() {
    local x y w h
    read -r _ x y w h <<<"$(drv popup-menus | head -1)"
    screenshot "${1:-$WORK/menu.png}" && px menu-rows "${1:-$WORK/menu.png}" "$x" "$y" "$w" "$h"
}
menu_items() {
    printf 'menu %s %s \n  item 0xE122 "ｺﾋﾟｰ(&C)\\tCtrl+C" %s\n  separator\n  item 0xE104 "名前を付けて保存(&A)..." %s' \
        "$@"
}
read -r vx vy vw vh <<<"$(geometry_of view-client)"
hold_clipboard_text "zarp-e2e menu" || fail "xclip did not take the clipboard"
menu_keys s s
menu=$(menu_at $((vx + 300)) $((vy + 250)))
check "range mode, no range: at the pointer, both items grayed" \
    "$(menu_items $((vx + 300)) $((vy + 250)) grayed grayed)" "$(sed 's/ [0-9]* [0-9]*$/ /' <<<"$menu")"
check "both rows look grayed" "grayed grayed" "$(menu_rows "$SCREENS/context-menu-grayed.png")"
xdotool key c
poll 6 output_is "popups 0" drv popups
zarp_idle
check "its grayed ｺﾋﾟｰ copies nothing" "zarp-e2e menu" "$(xclip -selection clipboard -o 2>&1)"

drag_in_view $L $T $R $B
poll 6 view_framed $L $T $R $B
menu=$(menu_at $((vx + 150)) $((vy + 120)))
check "with a range: at the pointer, both items enabled" \
    "$(menu_items $((vx + 150)) $((vy + 120)) enabled enabled)" "$(sed 's/ [0-9]* [0-9]*$/ /' <<<"$menu")"
check "both rows look enabled" "enabled enabled" "$(menu_rows "$SCREENS/context-menu.png")"
xdotool key c
poll 6 output_is "popups 0" drv popups
poll 6 clipboard_has_dib
check "its ｺﾋﾟｰ copies the range" "dib $W $H" \
    "$(drv clipboard-dib "$(winpath "$WORK")\\menu-copy.bmp" | cut -d' ' -f1-3)"
check_true "with its pixels" px picture "$WORK/menu-copy.bmp" "$WORK/ref.png" 100 $L $T
check_true "the frame stays after the menu" view_framed $L $T $R $B

menu_keys s s
menu=$(menu_at $((vx + 500)) $((vy + 40)))
check "range mode off: both items enabled" \
    "$(menu_items $((vx + 500)) $((vy + 40)) enabled enabled)" "$(sed 's/ [0-9]* [0-9]*$/ /' <<<"$menu")"
xdotool key a
check "its 名前を付けて保存 opens the save dialog" "caption 名前を付けて保存" "$(drv file-dialog 10000 2>&1 | head -1)"
check "Cancel" "cancelled" "$(drv save-as ignored cancel 2>&1)"
close_zarp

section "started from another folder"
ELSEWHERE=$WORK/elsewhere
mkdir -p "$ELSEWHERE"
ZARP_START_DIR=$ELSEWHERE start_zarp
check "frame title" "title Zarp" "$(drv wait-window 20000 2>&1 | head -1)"
poll 6 test -f "$ELSEWHERE/zp.x"
check "a new zp.x there holds that folder" "$(settings_bytes "$ELSEWHERE")" "$(bytes_of "$ELSEWHERE/zp.x")"
check "read-only" 444 "$(stat -c %a "$ELSEWHERE/zp.x")"
check "the first folder's zp.x is untouched" "$settings_before" "$(bytes_of "$RUN/zp.x")"
capture_screen
poll 6 view_matches 100
read -r vx vy vw vh <<<"$(geometry_of view-client)"
menu_at $((vx + 100)) $((vy + 100)) >/dev/null
xdotool key a
check "Save As from the context menu opens the dialog in that folder" "folder $(winpath "$ELSEWHERE")" \
    "$(drv file-dialog 10000 | grep '^folder')"
check "Save" "closed" "$(drv save-as whole yes 2>&1 | tail -1)"
poll 6 test -f "$ELSEWHERE/whole.bmp"
check_true "whole.bmp holds the whole screen" px picture "$ELSEWHERE/whole.bmp" "$WORK/ref.png" 100
check "zp.x there still holds that folder" "$(settings_bytes "$ELSEWHERE")" "$(bytes_of "$ELSEWHERE/zp.x")"
close_zarp

section "zp.x naming a folder called aux, then CON: the dialog opens in the start folder"
POISON=$WORK/poison
mkdir -p "$POISON/aux"
printf 'old target\n' >"$POISON/target.bmp"
ln -s target.bmp "$POISON/link.bmp"
n=0
for bad in "$(winpath "$POISON")\\aux" CON; do
    n=$((n + 1))
    printf '[ InitDir ] =\r\n%s\r\n' "$bad" >"$POISON/zp.x"
    chmod 444 "$POISON/zp.x"
    start_captured "$POISON"
    open_save_as
    check "zp.x holding $bad: the dialog opens in the start folder" "folder $(winpath "$POISON")" \
        "$(drv file-dialog 10000 | grep '^folder')"
    check "Save" "closed" "$(drv save-as "saved$n" yes 2>&1 | tail -1)"
    poll 6 test -f "$POISON/saved$n.bmp"
    check "the picture is saved" "BMP3 1920 1080" "$(identify -format '%m %w %h' "$POISON/saved$n.bmp" 2>&1)"
    zarp_idle
    check_true "Zarp is still running" drv pid
    check "zp.x now holds the start folder" "$(settings_bytes "$POISON")" "$(bytes_of "$POISON/zp.x")"
    if [ $n = 1 ]; then
        open_save_as
        check "Save into the folder called aux" "closed" \
            "$(drv save-as "$(winpath "$POISON")\\aux\\inaux" yes 2>&1 | tail -1)"
        poll 6 test -f "$POISON/aux/inaux.bmp"
        check "the picture is there" "BMP3 1920 1080" "$(identify -format '%m %w %h' "$POISON/aux/inaux.bmp" 2>&1)"
        box_says "one box: saved, the folder not remembered" "${not_kept}保存先のフォルダーは、次回の保存ダイアログで開けない場所です。"
        zarp_idle
        check "zp.x does not take that folder" "$(settings_bytes "$POISON")" "$(bytes_of "$POISON/zp.x")"
        open_save_as
        check "the next dialog opens in the start folder again" "folder $(winpath "$POISON")" \
            "$(drv file-dialog 10000 | grep '^folder')"
    else
        open_save_as
        check "Save over a link" "$(printf 'typed link\n%s\nanswered yes\nclosed' "$question")" \
            "$(drv save-as link yes 2>&1)"
        zarp_idle
        check "link.bmp is still a link to target.bmp" "target.bmp" "$(readlink "$POISON/link.bmp")"
        check "target.bmp holds the picture" "BMP3 1920 1080" "$(identify -format '%m %w %h' "$POISON/target.bmp" 2>&1)"
        # Decided where the save writes: a link to a read-only file is refused as the file is.
        chmod 444 "$POISON/target.bmp"
        before=$(md5sum <"$POISON/target.bmp")
        open_save_as
        drv save-as link yes >/dev/null 2>&1
        box_says "a link to a read-only file: the read-only box" "link.bmp に書き込めません。読取専用か、または使用中です。" 8000
        check "the file it points to is untouched" "$before" "$(md5sum <"$POISON/target.bmp")"
        open_save_as
    fi
    check "Cancel" "cancelled" "$(drv save-as ignored cancel 2>&1)"
    check "no temporary file is left" "" "$(cd "$POISON" && find . -name '*.tmp')"
    close_zarp
done

section "zp.x that is a link: neither followed nor rewritten"
LINKED=$WORK/linked
mkdir -p "$LINKED"
printf 'not for Zarp\n' >"$LINKED/real.x"
ln -s real.x "$LINKED/zp.x"
start_captured "$LINKED"
open_save_as
check "the dialog opens in the start folder" "folder $(winpath "$LINKED")" "$(drv file-dialog 10000 | grep '^folder')"
check "Save" "closed" "$(drv save-as linked yes 2>&1 | tail -1)"
poll 6 test -f "$LINKED/linked.bmp"
box_says "one box: saved, the folder not remembered" "${not_kept}ファイルではありません (フォルダーまたはリンクです)。"
zarp_idle
check "zp.x is still a link" "real.x" "$(readlink "$LINKED/zp.x")"
check "what it points to is untouched" "not for Zarp" "$(cat "$LINKED/real.x")"
check "and not made read-only" 644 "$(stat -c %a "$LINKED/real.x")"
# A link that points nowhere looks like no file at all to Wine's file calls.
ln -sfn nowhere.x "$LINKED/zp.x"
open_save_as
check "Save again, zp.x now a link to nothing" "closed" "$(drv save-as linked2 yes 2>&1 | tail -1)"
poll 6 test -f "$LINKED/linked2.bmp"
box_says "one box: saved, the folder not remembered" "${not_kept}ファイルではありません (フォルダーまたはリンクです)。"
zarp_idle
check "zp.x is still that link" "nowhere.x" "$(readlink "$LINKED/zp.x")"
check "and nothing was made where it points" "" "$(ls "$LINKED" | grep nowhere)"
close_zarp

section "PNG: the name decides the content"
PNGS=$WORK/png
mkdir -p "$PNGS"
start_captured "$PNGS"
menu_keys e c
poll 6 clipboard_has_dib
drv clipboard-dib "$(winpath "$WORK")\\png-copy.bmp" >/dev/null
# saved_as NAME yes [ms TYPE]: how the dialog ended, once Zarp is done with the save.
saved_as() { drv save-as "$@" 2>&1 | tail -1; zarp_idle; }
open_save_as
check "shot.png typed with BMP chosen" closed "$(saved_as shot.png yes)"
poll 6 test -f "$PNGS/shot.png"
check "is a PNG of the screen" "PNG 1920 1080" "$(identify -format '%m %w %h' "$PNGS/shot.png" 2>&1)"
check_true "Pillow: its pixels are the Copy's" px same "$PNGS/shot.png" 0 0 "$WORK/png-copy.bmp" 0 0 1920 1080
check "ImageMagick: not one pixel differs" 0 "$(compare -metric AE "$PNGS/shot.png" "$WORK/png-copy.bmp" null: 2>&1)"
open_save_as
check "the dialog opens with the type of the last save" "type $PNG_TYPE" "$(drv file-dialog 10000 | grep '^type ')"
check "PNG chosen and a bare name" closed "$(saved_as shot2 yes 10000 2)"
check "give shot2.png, a PNG, and no shot2.bmp" "PNG 1920 1080 0" \
    "$(identify -format '%m %w %h ' "$PNGS/shot2.png" 2>&1)$(find "$PNGS" -name 'shot2.bmp*' | wc -l)"
open_save_as
check "shot4.bmp typed with PNG chosen" closed "$(saved_as shot4.bmp yes 10000 2)"
check "gives a BMP" "BMP3" "$(identify -format '%m' "$PNGS/shot4.bmp" 2>&1)"
move_slider 50
open_save_as
check "at 50 %, a bare name with PNG chosen" closed "$(saved_as half yes 10000 2)"
check_true "half.png holds the screen at 50 %" px picture "$PNGS/half.png" "$WORK/ref.png" 50
png=$(stat -c %s "$PNGS/shot.png") bmp=$(stat -c %s "$PNGS/shot4.bmp")
echo "      the screen as PNG: $png bytes; as BMP: $bmp bytes"
check "the PNG of the screen is far smaller than its BMP" 1 "$((png * 10 < bmp))"
close_zarp

section "files and the clipboard that another program holds for a moment"
HELD=$WORK/held
mkdir -p "$HELD/sub"
start_captured "$HELD"
# hold_then WHAT MS [WAIT]: another program holds the file (or the clipboard) for MS ms;
# returns once it does (with WAIT, at once: it takes the file the moment it can).
hold_then() {
    local what=$1
    [ "$what" = clipboard ] || what=$(winpath "$1")
    wine "$DRIVER" hold "$what" "${@:2}" >"$WORK/hold.out" 2>/dev/null </dev/null &
    HOLDER=$!
    HELPER_PIDS+=("$HOLDER")
    [ $# -gt 2 ] || poll 6 grep -q held "$WORK/hold.out"
}
saved_whole() { # NAME: no box came, NAME holds the screen, no temporary file is left
    check_true "no warning box" zarp_idle
    check "$1 holds the picture" "BMP3 1920 1080" "$(identify -format '%m %w %h' "$HELD/$1" 2>&1)"
    check "no temporary file" "" "$(cd "$HELD" && find . -name '*.tmp')"
}
for f in held long fresh; do printf 'old picture\n' >"$HELD/$f.bmp"; done
replaced() { printf 'typed %s\n%s\nanswered yes\nclosed' "$1" "$question"; }
hold_then "$HELD/held.bmp" 1500
open_save_as
check "the target held for 1.5 s: the save waits" "$(replaced held)" "$(drv save-as held yes 2>&1)"
saved_whole held.bmp
hold_then "$HELD/long.bmp" 8000
open_save_as
drv save-as long yes >/dev/null 2>&1
box_says "held for 8 s: the in-use box" "long.bmp に書き込めません。読取専用か、または使用中です。" 8000
check "the old file is whole" "old picture" "$(cat "$HELD/long.bmp")"
kill "$HOLDER" 2>/dev/null
hold_then "$HELD/fresh.bmp.*.zarp.tmp" 800 4000
open_save_as
check "another program takes the temporary file as soon as it can" "$(replaced fresh)" "$(drv save-as fresh yes 2>&1)"
wait "$HOLDER"
saved_whole fresh.bmp
echo "      (the other program: $(cat "$WORK/hold.out"))"
hold_then "$HELD/zp.x" 1200
open_save_as
check "zp.x held for 1.2 s: the save into sub waits" closed "$(drv save-as "$(winpath "$HELD/sub")\\z" yes | tail -1)"
check_true "no warning box" zarp_idle
check "zp.x remembers sub" "$(settings_bytes "$HELD/sub")" "$(bytes_of "$HELD/zp.x")"
hold_clipboard_text "before the copy" || fail "xclip did not take the clipboard"
hold_then clipboard 800
menu_keys e c
poll 6 clipboard_has_dib
check "the clipboard held for 0.8 s: Copy waits and copies" "dib 1920 1080" \
    "$(drv clipboard-dib "$(winpath "$WORK")\\held-copy.bmp" | cut -d' ' -f1-3)"
check_true "no warning box" zarp_idle
close_zarp

finish
