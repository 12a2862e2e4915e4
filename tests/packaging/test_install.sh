#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a user gets: the programs, the
# examples, the desktop entry with its launcher and icon, the manual pages; then starts the
# installed program from its launcher as the desktop does, in a fresh home.
# Usage: test_install.sh BUILD_FOLDER
set -euo pipefail
build="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null

fail() { echo "FAIL: $*" >&2; exit 1; }
for f in bin/rq3118 bin/rq3118ctl bin/rq3118-desktop \
         share/rq3118/examples/RQ3118.CFG share/rq3118/examples/VMB.EXE \
         share/applications/rq3118.desktop share/icons/hicolor/scalable/apps/rq3118.svg \
         share/man/man1/rq3118.1 share/man/man1/rq3118ctl.1; do
  [ -f "$prefix/$f" ] || fail "$f not installed"
done
[ -x "$prefix/bin/rq3118-desktop" ] || fail "the launcher is not executable"

# The desktop entry is valid and names what was installed.
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$prefix/share/applications/rq3118.desktop" || fail "desktop entry"
fi
grep -qx 'Exec=rq3118-desktop' "$prefix/share/applications/rq3118.desktop" || fail "Exec line"
grep -qx 'Icon=rq3118' "$prefix/share/applications/rq3118.desktop" || fail "Icon line"

# Both programs answer --version with the same version, and the manual pages carry it.
v1="$("$prefix/bin/rq3118" --version)"
v2="$("$prefix/bin/rq3118ctl" --version)"
[ "${v1#rq3118 }" = "${v2#rq3118ctl }" ] || fail "versions differ: $v1 / $v2"
grep -q "${v1#rq3118 }" "$prefix/share/man/man1/rq3118.1" || fail "man page version"
grep -q '/SIM' "$prefix/share/man/man1/rq3118.1" || fail "man page lacks the switches"
grep -q 'capture' "$prefix/share/man/man1/rq3118ctl.1" || fail "ctl man page lacks its commands"

# The desktop start: ~/RQ3118 is made with the examples, and the program runs in it.
home="$work/home"
mkdir -p "$home"
started() {
  # The program keeps running until closed: still running after 3 s counts as started.
  local rc=0
  HOME="$home" QT_QPA_PLATFORM=offscreen timeout 3 "$prefix/bin/rq3118-desktop" /SIM \
    >/dev/null 2>&1 || rc=$?
  [ "$rc" -eq 124 ] || fail "the installed program stopped with status $rc"
}
started
for f in RQ3116.CFG RQ3118.CFG RQ3118TC.CFG VMB.EXE; do
  cmp -s "$prefix/share/rq3118/examples/$f" "$home/RQ3118/$f" || fail "$f not copied"
done
# A later start leaves the user's files as they are.
echo "edited" > "$home/RQ3118/RQ3118.CFG"
rm "$home/RQ3118/RQ3116.CFG"
started
[ "$(cat "$home/RQ3118/RQ3118.CFG")" = "edited" ] || fail "a user's file was overwritten"
[ ! -e "$home/RQ3118/RQ3116.CFG" ] || fail "a deleted example came back"
echo "install tree and desktop start: ok"
