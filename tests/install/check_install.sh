#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a desktop needs to
# find the program: the program file, a valid desktop entry that names it and
# its icon, and that icon in every size desktops ask for.
# Usage: check_install.sh <cmake> <build folder>
set -euo pipefail
cmake=$1
build=$2

fail() {
    echo "check_install: $*" >&2
    exit 1
}

prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
# Installed as the README says: stripped.
"$cmake" --install "$build" --strip --prefix "$prefix" >/dev/null

entry=$prefix/share/applications/solvek-antibot.desktop
[ -f "$entry" ] || fail "no desktop entry at share/applications/solvek-antibot.desktop"
command -v desktop-file-validate >/dev/null ||
    fail "desktop-file-validate is missing (package desktop-file-utils, installed by scripts/setup.sh)"
desktop-file-validate "$entry" || fail "the installed desktop entry does not validate"

value_of() { sed -n "s/^$1=//p" "$entry"; }

program=$(value_of Exec | cut -d' ' -f1)
[ -x "$prefix/bin/$program" ] || fail "Exec names '$program', which is not installed in bin/"
# The window system names the program's windows after its file name.
[ "$(value_of StartupWMClass)" = "$program" ] ||
    fail "StartupWMClass '$(value_of StartupWMClass)' does not match the program '$program'"

icon=$(value_of Icon)
for size in 16 22 24 32 48 64 128 256; do
    png=$prefix/share/icons/hicolor/${size}x${size}/apps/$icon.png
    [ -f "$png" ] || fail "no ${size}x${size} icon '$icon'"
    # A PNG file starts with its signature; width and height follow at byte 16.
    [ "$(od -An -tx1 -N8 "$png" | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "$png is no PNG"
    header=$(od -An -tx1 -j16 -N8 "$png" | tr -d ' \n')
    width=$((16#${header:0:8}))
    height=$((16#${header:8:8}))
    [ "$width" -eq "$size" ] && [ "$height" -eq "$size" ] ||
        fail "the ${size}x${size} icon is ${width}x${height}"
done
echo "check_install: program, desktop entry and icons installed"
