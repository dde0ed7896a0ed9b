# Shared helpers of the end-to-end scenarios; sourced by every scenario script.
# Arguments of a scenario: Zarp.exe, zarp_driver.exe, screenshot folder.
# DISPLAY and WINEPREFIX come from the environment (scripts/test.sh); with a persistent
# wineserver every driver call takes well under 0.1 s.
set -uo pipefail

if [ $# -lt 3 ]; then
    echo "usage: $0 Zarp.exe zarp_driver.exe screenshot-folder" >&2
    exit 2
fi
ZARP_EXE=$(realpath "$1")
DRIVER=$(realpath "$2")
SCREENS=$3
E2E_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
EXPECTED=$E2E_DIR/expected
PY=/usr/bin/python3          # PIL lives with the system Python
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml=;winemenubuilder.exe=d"}

for need in DISPLAY WINEPREFIX; do
    if [ -z "${!need:-}" ]; then echo "$need is not set (run through scripts/test.sh)" >&2; exit 2; fi
done
for tool in wine winepath xdotool xclip import display convert identify iconv "$PY"; do
    command -v "$tool" >/dev/null || { echo "missing tool: $tool" >&2; exit 2; }
done

mkdir -p "$SCREENS"
WORK=$(mktemp -d "${TMPDIR:-/tmp}/zarp-e2e.XXXXXX")
mkdir -p "$WORK/run"          # Zarp's start folder: its settings file lands here
ZARP_UNIX_PID=""
HELPER_PIDS=()
CHECKS=0
FAILURES=0

cleanup() {
    wine "$DRIVER" kill </dev/null >/dev/null 2>&1 || true   # every Zarp.exe of this prefix
    wine "$DRIVER" close-picture </dev/null >/dev/null 2>&1 || true
    xdotool mouseup 1 >/dev/null 2>&1 || true                # a failed drag leaves the button down
    if [ -n "$ZARP_UNIX_PID" ]; then kill "$ZARP_UNIX_PID" 2>/dev/null; wait "$ZARP_UNIX_PID" 2>/dev/null; fi
    for p in "${HELPER_PIDS[@]}"; do kill "$p" 2>/dev/null; wait "$p" 2>/dev/null; done
    rm -rf "$WORK"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

# drv SUBCOMMAND...: runs the driver. Its output goes through files, never a pipe: the first
# Wine program to need the desktop starts explorer.exe, which inherits the standard handles
# and keeps them open as long as Zarp runs (a pipe would then never see its end).
drv() {
    local rc
    wine "$DRIVER" "$@" >"$WORK/drv.out" 2>"$WORK/drv.err" </dev/null
    rc=$?
    cat "$WORK/drv.out"
    cat "$WORK/drv.err" >&2
    return $rc
}

# ---- reporting -------------------------------------------------------------------------

section() { echo; echo "== $*"; }
pass() { CHECKS=$((CHECKS + 1)); echo "ok    $*"; }
fail() { CHECKS=$((CHECKS + 1)); FAILURES=$((FAILURES + 1)); echo "FAIL  $*"; }

# check NAME EXPECTED ACTUAL
check() {
    if [ "$2" = "$3" ]; then pass "$1"; else fail "$1: expected [$2], got [$3]"; fi
}

# check_true NAME COMMAND...: the command succeeds (its output is shown on failure).
check_true() {
    local name=$1 out
    shift
    if out=$("$@" 2>&1); then pass "$name${out:+ ($out)}"; else fail "$name: $out"; fi
}

# check_file NAME EXPECTED-FILE ACTUAL-TEXT
check_file() {
    if diff -u "$2" <(printf '%s\n' "$3") >"$WORK/diff" 2>&1; then
        pass "$1"
    else
        fail "$1 (differs from $(basename "$2")):"
        sed 's/^/      /' "$WORK/diff"
    fi
}

finish() {
    echo
    echo "$CHECKS checks, $FAILURES failed"
    [ "$FAILURES" -eq 0 ]
    exit $?
}

# ---- waiting ---------------------------------------------------------------------------

# poll SECONDS COMMAND...: runs the command every 50 ms until it succeeds (SECONDS may
# have a fraction).
poll() {
    local deadline
    deadline=$(($(date +%s%N) + $(awk -v s="$1" 'BEGIN { printf "%d", s * 1000000000 }')))
    shift
    while ! "$@" >/dev/null 2>&1; do
        [ "$(date +%s%N)" -gt "$deadline" ] && return 1
        sleep 0.05
    done
}

# output_is EXPECTED-TEXT COMMAND...
output_is() {
    local want=$1
    shift
    [ "$("$@" 2>/dev/null)" = "$want" ]
}

# output_has LINE COMMAND...: one line of the output is exactly LINE.
output_has() {
    local want=$1 out
    shift
    out=$("$@" 2>/dev/null)
    grep -qxF -- "$want" <<<"$out"
}

# settle_file NAME SECONDS EXPECTED-FILE COMMAND...: waits for the command's output to equal
# the file (idle-time updates may lag), then reports the comparison.
settle_file() {
    local name=$1 secs=$2 file=$3
    shift 3
    poll "$secs" output_is "$(cat "$file")" "$@"
    check_file "$name" "$file" "$("$@" 2>&1)"
}

# ---- Zarp ------------------------------------------------------------------------------

# start_zarp [ARGS...]: starts Zarp.exe in the folder $ZARP_START_DIR (the work folder's
# "run" unless set).
start_zarp() {
    if drv pid >/dev/null 2>&1; then
        echo "a Zarp.exe is already running in this prefix; ending it" >&2
        drv kill
    fi
    park_pointer                # no tool tip from where an earlier test left the pointer
    (cd "${ZARP_START_DIR:-$WORK/run}" && exec wine "$ZARP_EXE" "$@" >>"$WORK/zarp.log" 2>&1 </dev/null) &
    ZARP_UNIX_PID=$!
}

# start_captured [DIR]: Zarp started (in DIR, else as start_zarp would), its frame up, the
# screen captured and shown at 100 %.
start_captured() {
    local ZARP_START_DIR=${1:-${ZARP_START_DIR:-$WORK/run}}
    start_zarp
    check "frame title" "title Zarp" "$(drv wait-window 20000 2>&1 | head -1)"
    capture_screen
    poll 6 view_matches 100
}

# close_zarp: WM_CLOSE ends Zarp at once.
close_zarp() {
    check "WM_CLOSE ends it" "ended" "$(drv close 5000 2>&1)"
    zarp_ended
}

zarp_ended() {
    [ -n "$ZARP_UNIX_PID" ] && wait "$ZARP_UNIX_PID" 2>/dev/null
    ZARP_UNIX_PID=""
}

# Gives the frame the X keyboard focus (there is no window manager) and waits until
# Wine reports it in the foreground. The focus is asked for again on every try: just
# after a dialog closes, Wine may still be settling its own activation and take the
# first request back. On failure, prints what Wine last reported.
focus_frame() {
    local xwin="" deadline out
    # Under load one driver start in a few hundred may fail outright: asked again.
    for _ in 1 2 3; do xwin=$(drv xwindow) && break; sleep 0.2; done
    [ -n "$xwin" ] || { echo "      focus: no X window for the frame"; return 1; }
    deadline=$(($(date +%s%N) + 8000000000))
    while :; do
        xdotool windowfocus "$xwin" 2>/dev/null
        out=$(drv focus 2>&1)
        grep -qxF "foreground frame" <<<"$out" && return 0
        if [ "$(date +%s%N)" -gt "$deadline" ]; then
            echo "      focus: $(tr '\n' ' ' <<<"$out")"
            return 1
        fi
        sleep 0.1
    done
}

# type_in_percent_box TEXT: clicks the percent box, selects its text and types TEXT over it.
type_in_percent_box() {
    click_at_centre $(geometry_of edit)
    poll 6 output_has "focus Edit 1009" drv focus || fail "the percent box did not take the focus"
    xdotool key ctrl+a
    xdotool type --delay 20 "$1"
}

# zoombar_value: the slider position and the percent box text, e.g. "150 150".
zoombar_value() {
    drv zoombar | awk '/^slider /{s=$2} /^edit/{e=substr($0, 6)} END{print s, e}'
}

# geometry_of NAME: "X Y W H" on the screen, e.g. geometry_of thumb, geometry_of "button 0xE140".
geometry_of() { drv geometry | awk -v k="$1 " 'index($0, k) == 1 {print $(NF-3), $(NF-2), $(NF-1), $NF}'; }

# screenshot FILE: the whole X screen.
screenshot() { import -window root "$1"; }

# drag_slider POS: drags the thumb with the mouse towards POS (POS outside 10..200 drags
# past that end of the channel), then releases it.
drag_slider() {
    local want=$1 tx ty tw th cx cy cw ch x y0 y1 y step
    read -r tx ty tw th <<<"$(geometry_of thumb)"
    read -r cx cy cw ch <<<"$(geometry_of channel)"
    x=$((tx + tw / 2))
    y0=$((ty + th / 2))
    if [ "$want" -lt 10 ]; then y1=$((cy - 150))
    elif [ "$want" -gt 200 ]; then y1=$((cy + ch + 150))
    else y1=$((cy + th / 2 + (want - 10) * (ch - th) / 190)); fi
    xdotool mousemove "$x" "$y0" mousedown 1
    for step in 1 2 3 4; do
        y=$((y0 + (y1 - y0) * step / 4))
        xdotool mousemove "$x" "$y"
    done
    xdotool mouseup 1
}

# key_slider_to POS: with the slider focused, presses Up/Down until it is at POS.
key_slider_to() {
    local want=$1 pos n key
    pos=$(zoombar_value | cut -d' ' -f1)
    n=$((want - pos))
    key=Down                    # the vertical slider grows downwards
    if [ "$n" -lt 0 ]; then n=$((-n)); key=Up; fi
    [ "$n" -gt 0 ] && xdotool key --delay 5 $(printf "$key %.0s" $(seq "$n"))
    poll 6 output_has "slider $want range 10 200" drv zoombar
}

# move_slider POS: a real move with the mouse, finished with arrow keys to hit POS exactly;
# the pointer then leaves the frame so that no tool tip covers what a screenshot checks.
move_slider() {
    drag_slider "$1"
    poll 6 output_has "focus msctls_trackbar32 1008" drv focus
    key_slider_to "$1"
    park_pointer
}

# park_pointer: the pointer to the bottom-right corner of the screen, away from Zarp.
park_pointer() {
    local w h
    read -r w h <<<"$(xdotool getdisplaygeometry)"
    xdotool mousemove $((w - 2)) $((h - 2))
}

# click_at_centre X Y W H: a real click in the middle of a screen rectangle.
click_at_centre() {
    xdotool mousemove $(($1 + $3 / 2)) $(($2 + $4 / 2))
    xdotool click 1
}

# click_dialog_button ID: a real click on a button of Zarp's open dialog.
click_dialog_button() {
    local at
    if at=$(drv dialog-point "$1"); then
        xdotool mousemove $at
        xdotool click 1
    fi
}
# box_says LABEL TEXT [MS]: a box comes within MS ms (5000) and says TEXT; OK closes it.
box_says() {
    check "$1" "control -1 Static \"$2\"" "$(drv dialog "${3:-5000}" 2>&1 | grep '^control -1 Static')"
    click_dialog_button 1
}

# ---- pictures, menus, clipboard and files (range, save and walk-through scenarios) ------

px() { "$PY" "$E2E_DIR/pixels.py" "$@"; }

# show_reference_pattern: the known picture at the screen's top-left corner (an ImageMagick
# window, shown before Zarp starts so that Zarp's frame lies above it), then the screen as
# Zarp will grab it once its frame hides: $WORK/ref.png.
show_reference_pattern() {
    px pattern "$WORK/pattern.png" 1200 704 >/dev/null
    display -geometry +0+0 -borderwidth 0 -title zarp-e2e-pattern "$WORK/pattern.png" >/dev/null 2>&1 </dev/null &
    HELPER_PIDS+=($!)
    poll 5 pattern_shown || { fail "the test picture did not appear"; return 1; }
    screenshot "$WORK/ref.png"
}
pattern_shown() { screenshot "$WORK/probe.png" && px shows "$WORK/pattern.png" "$WORK/probe.png" 0 0; }

# view_matches ZOOM [SHOT]: the view shows $WORK/ref.png at ZOOM percent, nothing drawn over it.
view_matches() {
    local shot=${2:-$WORK/view.png}
    screenshot "$shot" && px zoomed "$shot" $(geometry_of view-client) "$WORK/ref.png" "$1"
}

# menu_keys LETTER KEYS...: opens a menu of the menu bar with Alt+LETTER, presses the keys
# and waits until every menu is closed again.
menu_keys() {
    local letter=$1
    shift
    focus_frame || { fail "the frame did not get the keyboard focus"; return 1; }
    xdotool key "alt+$letter"
    poll 6 output_is "popups 1" drv popups || { fail "alt+$letter opened no menu"; return 1; }
    xdotool key "$@"
    poll 6 output_is "popups 0" drv popups || { fail "the menu did not close after $*"; return 1; }
}

# capture_screen: ｽｸﾘｰﾝ from the capture menu; waits for the frame to hide and come back.
capture_screen() {
    menu_keys c s || return 1
    poll 6 output_has "visible 0" drv frame || { fail "the frame did not hide"; return 1; }
    poll 20 output_has "visible 1" drv frame || { fail "the frame did not come back"; return 1; }
}

# drag_in_view L T R B [SHOT]: a real drag in the view from client point L,T to R,B in four
# moves; SHOT, if given, is a screenshot taken after the third move, button still down.
drag_in_view() {
    local l=$1 t=$2 r=$3 b=$4 shot=${5:-} vx vy vw vh step
    read -r vx vy vw vh <<<"$(geometry_of view-client)"
    xdotool mousemove $((vx + l)) $((vy + t)) mousedown 1
    for step in 1 2 3 4; do
        xdotool mousemove $((vx + l + (r - l) * step / 4)) $((vy + t + (b - t) * step / 4))
        if [ "$step" = 3 ] && [ -n "$shot" ]; then
            # Each move is one WM_MOUSEMOVE: wait until the band of the third has been drawn.
            DRAG_MID="$((l)) $((t)) $((l + (r - l) * 3 / 4)) $((t + (b - t) * 3 / 4))"
            poll 6 view_framed $DRAG_MID "$shot"
        fi
    done
    xdotool mouseup 1
}

# view_framed L T R B [SHOT]: at 100 % and unscrolled, the view shows $WORK/ref.png with the
# dotted frame of the client rectangle L,T,R,B (right, bottom exclusive) and nothing else.
view_framed() {
    local shot=${5:-$WORK/view.png} vx vy vw vh
    read -r vx vy vw vh <<<"$(geometry_of view-client)"
    screenshot "$shot" && px framed "$shot" "$vx" "$vy" "$WORK/ref.png" 0 0 "$vw" "$vh" "$1" "$2" "$3" "$4"
}

# hold_clipboard_text TEXT: an X client (xclip) owns the clipboard with TEXT until another
# program takes the clipboard; its process id is $XCLIP_PID.
hold_clipboard_text() {
    printf '%s' "$1" >"$WORK/clip.txt"
    xclip -selection clipboard -quiet -i <"$WORK/clip.txt" >/dev/null 2>&1 &
    XCLIP_PID=$!
    HELPER_PIDS+=("$XCLIP_PID")
    poll 6 output_is "$1" xclip -selection clipboard -o
}

# clipboard_has_dib: the Windows clipboard holds CF_DIB.
clipboard_has_dib() { drv clipboard | grep -qx '8 CF_DIB'; }

# winpath UNIX-PATH: the same path as Zarp sees it (Z:\...).
# Worked out here rather than by winepath: one more Wine process per call is slow, and
# under load it has printed nothing, which made a check compare against an empty path.
# Paths under the prefix's drive_c still go through winepath, retried.
winpath() {
    local p
    p=$(realpath -m -s -- "$1")
    case "$p" in
        "${WINEPREFIX:-/nonexistent}/drive_c"*)
            local i out
            for i in 1 2 3; do
                out=$(winepath -w "$p" 2>/dev/null) && [ -n "$out" ] && { printf '%s\n' "$out"; return 0; }
            done
            echo "winpath: cannot convert $p" >&2; return 1 ;;
    esac
    printf 'Z:%s\n' "${p//\//\\}"
}

# bytes_of FILE: the file as hex, for exact comparisons.
bytes_of() { od -An -tx1 -v "$1" | tr -s ' \n' ' '; }

# settings_bytes UNIX-FOLDER: what zp.x must hold when it remembers that folder: the header
# line, then the Windows path in the ANSI code page (932), each line ended by CR LF.
settings_bytes() {
    printf '[ InitDir ] =\r\n%s\r\n' "$(winpath "$1")" | iconv -f UTF-8 -t CP932 >"$WORK/want.x" &&
        bytes_of "$WORK/want.x"
}

# click_menu TEXT: a real click on the item of the menu bar or of an open menu that shows
# exactly TEXT (as menu-rects prints it, e.g. 'ｷｬﾌﾟﾁｬｰ(&C)').
click_menu() {
    local line x y w h
    line=$(drv menu-rects | grep -F -- " \"$1\" " | head -1)
    [ -n "$line" ] || { fail "no menu item \"$1\" on the screen"; return 1; }
    read -r x y w h <<<"$(awk '{print $(NF-3), $(NF-2), $(NF-1), $NF}' <<<"$line")"
    xdotool mousemove $((x + w / 2)) $((y + h / 2)) click 1
}
