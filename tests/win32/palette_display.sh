#!/usr/bin/env bash
# Runs the palette-display tests, and the banded BMP writer's comparison, on a private
# 8-bit Xvfb with a Wine prefix of its own (a wineserver belongs to one display).
# Usage: palette_display.sh TEST_EXE PREFIX_DIR
set -euo pipefail
exe=$1
export WINEPREFIX=$2
unset DISPLAY
source "$(dirname "$0")/../../scripts/wine-env.sh"
trap zarp_env_stop EXIT
zarp_start_xvfb 1024x768x8
zarp_prepare_prefix
wine "$exe" --gtest_filter='PaletteDisplay.*:BmpBands.*' --gtest_brief=1
