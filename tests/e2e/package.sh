#!/usr/bin/env bash
# The release package as a user gets it: packed from the built Zarp.exe, unpacked into a
# fresh folder (with a space and Japanese in its name) and started from there.
# Usage: package.sh Zarp.exe zarp_driver.exe screenshot-folder
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
ROOT=$(cd "$E2E_DIR/../.." && pwd)

section "packing"
if ! zip=$("$PY" "$ROOT/scripts/make_package.py" --exe "$ZARP_EXE" --out "$WORK/dist" 2>&1); then
    fail "the packer refused: $zip"
    finish
fi
version=$(sed -n 's/^#define ZARP_VERSION_TEXT "\(.*\)"$/\1/p' "$(dirname "$ZARP_EXE")/generated/zarp_version.h")
check "named after the project's version" "Zarp-$version-win64.zip" "$(basename "$zip")"
check "holds exactly the program, the help page and the readme" "$(printf 'Zarp.exe\nhelp.html\nreadme.txt')" \
    "$("$PY" -c 'import sys, zipfile; print("\n".join(sorted(zipfile.ZipFile(sys.argv[1]).namelist())))' "$zip")"

FRESH="$WORK/展開 先"
mkdir -p "$FRESH"
"$PY" -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' "$zip" "$FRESH"
check_true "Zarp.exe is the built program, byte for byte" cmp "$ZARP_EXE" "$FRESH/Zarp.exe"
check_true "help.html is the program's help page, byte for byte" cmp "$ROOT/res/help.html" "$FRESH/help.html"

section "readme.txt"
# shellcheck disable=SC2016
readme_report=$("$PY" - "$FRESH/readme.txt" "$version" <<'EOF'
import re, sys
data = open(sys.argv[1], 'rb').read()
print('bom' if data.startswith(b'\xef\xbb\xbf') else 'no bom')
bare = len(re.findall(rb'(?<!\r)\n', data)) + len(re.findall(rb'\r(?!\n)', data))
print('crlf only' if bare == 0 else '%d bare line ends' % bare)
text = data.decode('utf-8-sig')
print(' '.join(re.findall(r'^■ (\S+)', text, re.M)))
print('version in title' if re.search(r'^  Zarp %s ' % re.escape(sys.argv[2]), text, re.M) else 'no version in title')
print('history names it' if re.search(r'^  %s（' % re.escape(sys.argv[2]), text.split('■ 履歴')[1], re.M)
      else 'history lacks it')
EOF
)
check "UTF-8 with a byte-order mark, every line ended by CR LF, the sections in order, the version" \
    "$(printf 'bom\ncrlf only\n概要 動作環境 ファイル構成 インストール アンインストール 使い方 設定ファイル 制限事項 履歴 連絡先\nversion in title\nhistory names it')" \
    "$readme_report"

section "started from the unpacked folder"
ZARP_EXE="$FRESH/Zarp.exe"
ZARP_START_DIR="$FRESH"
start_zarp
check "frame title and class" "$(printf 'title Zarp\nclass ZfwFrame')" "$(drv wait-window 20000 2>&1)"
poll 6 test -f "$FRESH/zp.x"
check "zp.x written into the start folder, naming it" "$(settings_bytes "$FRESH")" "$(bytes_of "$FRESH/zp.x" 2>&1)"
screenshot "$SCREENS/package-start.png"

section "the help page of the unpacked folder"
# .html pages are opened by page_recorder (beside the driver), which logs each one's path.
PAGE_LOG="$WORK/pages.log"
wine reg add 'HKCR\.html' /ve /d ZarpTestPage /f >/dev/null 2>&1
wine reg add 'HKCR\ZarpTestPage\shell\open\command' /ve /f \
    /d "\"$(winepath -w "${DRIVER%/*}/page_recorder.exe")\" \"$(winepath -w "$PAGE_LOG")\" \"%1\"" >/dev/null 2>&1
PAGE=$(winepath -w "$FRESH/help.html")
helps_opened() { [ "$(grep -cxF "$PAGE" "$PAGE_LOG")" -ge "$1" ]; }
drv command 0x8005 >/dev/null
poll 6 helps_opened 1
check "the help-page command opens help.html of the start folder" "$PAGE" "$(sed -n 1p "$PAGE_LOG")"
drv command 0xE143 >/dev/null    # ﾄﾋﾟｯｸの検索(H) of the help menu
poll 6 helps_opened 2
check "ﾄﾋﾟｯｸの検索 opens help.html beside Zarp.exe" "$PAGE" "$(sed -n 2p "$PAGE_LOG")"
focus_frame && xdotool key F1
poll 6 helps_opened 3
check "and so does F1" "$PAGE" "$(sed -n 3p "$PAGE_LOG")"
wine reg delete 'HKCR\ZarpTestPage' /f >/dev/null 2>&1; wine reg delete 'HKCR\.html' /f >/dev/null 2>&1

section "leaving"
check "ends at once, no question box" "ended" "$(drv close 5000 2>&1)"
zarp_ended
finish
