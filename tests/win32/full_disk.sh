#!/usr/bin/env bash
# Runs the full-disk save test on a real, tiny file system: a 64 KiB tmpfs holding one
# small file, so a picture saved over it cannot fit. Needs root (CI runs as root).
# Usage: full_disk.sh TEST_EXE
set -uo pipefail
exe=$1
dir=$(mktemp -d /tmp/zarp-full.XXXXXX)
if ! mount -t tmpfs -o size=64k tmpfs "$dir" 2>/dev/null; then
    echo "cannot mount a tmpfs here (not root?): test skipped"
    rmdir "$dir"
    exit 0
fi
trap 'umount "$dir"; rmdir "$dir"' EXIT
head -c 20000 /dev/urandom >"$dir/kept.bmp"
export ZARP_FULL_DIR="Z:${dir//\//\\}"
wine "$exe" --gtest_filter='SaveFixture.AFullDiskLeavesTheOldFileWhole' --gtest_brief=1
