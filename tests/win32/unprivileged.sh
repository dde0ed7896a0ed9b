#!/usr/bin/env bash
# Runs the save tests in which file modes count. As root (as CI runs) Wine writes any
# file whatever its mode, so these run as the unprivileged user nobody (uid 65534), with
# a Wine prefix of their own that this user owns (Wine refuses a prefix owned by anyone
# else), kept with the user's home in a folder of the user's: made once, in about ten
# seconds, and kept. Needs root, to switch users, and an X
# display that any local user may use (Xvfb as scripts/wine-env.sh starts it).
# Usage: unprivileged.sh TEST_EXE FOLDER
set -uo pipefail
exe=$(realpath "$1")
own=$2
user=65534
if [ "$(id -u)" != 0 ] || ! command -v setpriv >/dev/null; then
    echo "needs root and setpriv to run as another user: test skipped"
    exit 0
fi
env_sh=$(cd "$(dirname "$0")/../../scripts" && pwd)/wine-env.sh
mkdir -p "$own/home"
chown "$user:$user" "$own" "$own/home"
as_user() {
    setpriv --reuid=$user --regid=$user --clear-groups \
        env HOME="$own/home" WINEPREFIX="$own/prefix" DISPLAY="${DISPLAY:-}" "$@"
}
# The user's own wineserver, started and stopped here.
trap 'as_user wineserver -k 2>/dev/null' EXIT
as_user bash -c "source '$env_sh' && zarp_prepare_prefix" || exit 1

# A folder of root's: nobody may create files in it. In it, a file of nobody's own, a
# file of root's, and a start folder of root's holding nobody's read-only zp.x.
dir=$(mktemp -d /tmp/zarp-locked.XXXXXX)
trap 'as_user wineserver -k 2>/dev/null; rm -rf "$dir"' EXIT
mkdir "$dir/start"
printf 'mine, to be replaced\n' >"$dir/mine.bmp"
printf 'theirs, keep me\n' >"$dir/theirs.bmp"
printf '[ InitDir ] =\r\nC:\\\r\n' >"$dir/start/zp.x"
chown "$user:$user" "$dir/mine.bmp" "$dir/start/zp.x"
chmod 755 "$dir" "$dir/start"
chmod 644 "$dir/mine.bmp" "$dir/theirs.bmp"
chmod 444 "$dir/start/zp.x"

# The same on a full disk: a tiny file system of root's holding a small file of nobody's.
full=$(mktemp -d /tmp/zarp-lockedfull.XXXXXX) full_env=()
trap 'as_user wineserver -k 2>/dev/null; rm -rf "$dir"; umount "$full" 2>/dev/null; rmdir "$full"' EXIT
mount -t tmpfs -o size=64k,mode=755 tmpfs "$full" 2>/dev/null && printf 'small, keep me whole\n' >"$full/small.bmp" &&
    chown "$user:$user" "$full/small.bmp" && full_env=(ZARP_LOCKED_FULL_DIR="Z:${full//\//\\}") &&
    { head -c 1M /dev/zero >"$full/filler"; } 2>/dev/null

as_user env ZARP_LOCKED_DIR="Z:${dir//\//\\}" "${full_env[@]}" wine "$exe" --gtest_brief=1 \
    --gtest_filter='SaveFixture.EachFailure*:SaveFixture.AFolderThatRefusesNewFiles*'
status=$?
# Written in place, the files keep their owner and mode.
for f in mine.bmp start/zp.x; do
    got=$(stat -c '%u %a' "$dir/$f")
    want="$user $([ "$f" = mine.bmp ] && echo 644 || echo 444)"
    if [ "$got" != "$want" ]; then
        echo "FAILED: $f is now owner and mode [$got], not [$want]"
        status=1
    fi
done
exit $status
