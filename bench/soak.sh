#!/usr/bin/env bash
# Soak run on a private virtual screen; writes docs/SOAK.md. Usage: bash bench/soak.sh [cycles]
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --build build/win --target zarp_soak >/dev/null
export WINEPREFIX=$PWD/build/wineprefix-soak
source scripts/wine-env.sh
trap zarp_env_stop EXIT
zarp_start_xvfb 1920x1080x24
zarp_prepare_prefix
cycles=${1:-1000}
{
    echo "# Soak"
    echo
    echo "\`bash bench/soak.sh $cycles\`: $cycles cycles of capture (active window, 320x240) -> zoom change"
    echo "(75 % / 150 %) -> range drag -> Copy -> Save As through the real save dialog, in one process"
    echo "under Wine. Every 100 cycles: the framework's live-handle counters and the process's private"
    echo "committed bytes. The counters include what the view keeps between cycles (the display DC,"
    echo "the main menu, the capture, the two zoomed copies and the output bitmap)."
    echo
    (cd build/win && wine bench/zarp_soak.exe "$cycles") | tr -d '\r'
} >docs/SOAK.md
echo "wrote docs/SOAK.md"
