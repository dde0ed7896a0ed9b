#!/usr/bin/env bash
# Runs the full-disk tests on a real, tiny file system: a 64 KiB tmpfs holding a small
# picture file and a settings file, the rest filled, so that nothing more fits. Needs
# root (CI runs as root).
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
printf '[ InitDir ] =\r\nC:\\\r\n' >"$dir/zp.x"
chmod 444 "$dir/zp.x"
head -c 1M /dev/zero >"$dir/filler" 2>/dev/null   # stops when the disk is full
export ZARP_FULL_DIR="Z:${dir//\//\\}"
wine "$exe" --gtest_brief=1 \
    --gtest_filter='SaveFixture.EachFailure*:SettingsFixture.AFileThatCannotBeReadOrRewritten*'
