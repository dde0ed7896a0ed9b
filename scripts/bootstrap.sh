#!/usr/bin/env bash
# Installs every Debian package the build and the tests need (idempotent), and the
# Japanese locale that Wine needs to show Japanese text.
set -euo pipefail
PACKAGES=(wine wine64 fonts-wine g++-mingw-w64-x86-64-posix xvfb xdotool xclip imagemagick
          fonts-ipafont-gothic cmake ninja-build googletest locales python3-pil x11-utils x11-apps bc g++ clang
          libclang-rt-14-dev inotify-tools)
missing=()
for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "bootstrap: installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf8$'; then
    localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
