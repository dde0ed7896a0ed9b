#!/usr/bin/env bash
# Builds the release package dist/Zarp-<version>-win64.zip: Zarp.exe (a release build,
# without symbols), help.html and readme.txt (Japanese, UTF-8 with a byte-order mark
# and CR LF). The version is the one on the project() line of CMakeLists.txt.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/bootstrap.sh
cmake -S . -B build/win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/win --target Zarp
python3 scripts/make_package.py --exe build/win/Zarp.exe --out dist
