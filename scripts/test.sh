#!/usr/bin/env bash
# Installs what is needed, builds everything and runs every test tier:
#   host unit tests (native, sanitizers) and a bounded fuzzing run,
#   in-process Win32 tests under Wine, end-to-end scenarios driving Zarp.exe on Xvfb.
# Screenshots land in build/screens/. Nothing is left running afterwards.
set -uo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
bash scripts/bootstrap.sh || exit 1
bash scripts/build.sh || exit 1

source scripts/wine-env.sh
trap zarp_env_stop EXIT
zarp_start_xvfb 1920x1080x24 || exit 1
zarp_prepare_prefix
mkdir -p build/screens

status=0
summary() { # parses ctest's closing line into passed/failed counts
    sed -n 's/.*tests passed, \([0-9]*\) tests failed out of \([0-9]*\).*/\1 \2/p' "$1" | tail -1
}
passed=0 failed=0
for dir in build/host build/win; do
    log=$(mktemp)
    ctest --test-dir "$dir" --output-on-failure 2>&1 | tee "$log"
    [ "${PIPESTATUS[0]}" -eq 0 ] || status=1
    read -r f n <<<"$(summary "$log")"
    passed=$((passed + ${n:-0} - ${f:-0})); failed=$((failed + ${f:-0}))
    rm -f "$log"
done
echo "tests: $passed passed, $failed failed"
exit $status
