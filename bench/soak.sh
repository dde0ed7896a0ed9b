#!/usr/bin/env bash
# Soak run on a private virtual screen; prints a markdown table (see docs/SOAK.md).
# Usage: bash bench/soak.sh [cycles] [nosave|cancel|direct]
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --build build/win --target zarp_soak >/dev/null
export WINEPREFIX=$PWD/build/wineprefix-soak
source scripts/wine-env.sh
trap zarp_env_stop EXIT
zarp_start_xvfb 1920x1080x24
zarp_prepare_prefix
(cd build/win && wine bench/zarp_soak.exe "${1:-1000}" ${2:-}) | tr -d '\r'
