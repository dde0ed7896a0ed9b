#!/usr/bin/env bash
# Builds Zarp.exe and the Windows-side tests (build/win) and the host tests (build/host).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build/win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/win
if [ "${1:-}" != "--win-only" ]; then
    cmake -S . -B build/host -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
    cmake --build build/host
fi
