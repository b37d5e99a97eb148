#!/usr/bin/env bash
# Installs the program's component of a build into a temporary prefix and checks the result.
#   test_install.sh layout  BUILD_DIR SOURCE_DIR  the files, where they go, and that the desktop
#                                                entry and the metainfo validate
#   test_install.sh program BUILD_DIR            the installed program finds its languages and
#                                                keeps its settings in the XDG folder
# Exits 77 (skipped) when a tool it needs is missing.
set -euo pipefail

mode=$1
build=$2
source_dir=${3:-}
here=$(cd "$(dirname "$0")" && pwd)
id=org.tarnick.Brevane

prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
"${CMAKE:-cmake}" --install "$build" --prefix "$prefix" --component brevane >/dev/null

failed=0
fail() {
    echo "FAIL: $*" >&2
    failed=1
}
need() {
    command -v "$1" >/dev/null || { echo "SKIP: $1 is not installed (Debian package $2)"; exit 77; }
}

case "$mode" in
layout)
    need desktop-file-validate desktop-file-utils
    need appstreamcli appstream
    share=$prefix/share
    [ -x "$prefix/bin/brevane" ] || fail "bin/brevane is missing or not executable"
    cmp -s "$source_dir/LICENSE" "$share/brevane/license.txt" ||
        fail "share/brevane/license.txt is not the LICENSE"
    diff -r "$source_dir/Languages" "$share/brevane/Languages" >/dev/null ||
        fail "share/brevane/Languages differs from Languages/"
    diff -r "$source_dir/help" "$share/brevane/help" >/dev/null ||
        fail "share/brevane/help differs from help/"

    # Exactly these besides the two folders: a stray file (the service, a build product) fails.
    expected="bin/brevane
share/applications/$id.desktop
share/brevane/license.txt
share/icons/hicolor/scalable/apps/$id.svg
share/metainfo/$id.metainfo.xml"
    actual=$(cd "$prefix" && find . -type f ! -path './share/brevane/Languages/*' \
        ! -path './share/brevane/help/*' | sed 's|^\./||' | LC_ALL=C sort)
    [ "$actual" = "$expected" ] || fail "installed files differ:
$(diff <(echo "$expected") <(echo "$actual") || true)"

    desktop=$share/applications/$id.desktop
    metainfo=$share/metainfo/$id.metainfo.xml
    # The entry has to name the icon and the program by the names they are installed under.
    icon=$(sed -n 's/^Icon=//p' "$desktop")
    [ -f "$share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "Icon=$icon names no installed icon"
    exec_line=$(sed -n 's/^Exec=//p' "$desktop")
    [ -x "$prefix/bin/${exec_line%% *}" ] || fail "Exec=$exec_line names no installed program"
    grep -qF "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
        fail "the metainfo does not launch $id.desktop"
    # What menus and searches show: a generic name, keywords, and where it belongs.
    grep -qx 'GenericName=Serial Port Terminal' "$desktop" || fail "no GenericName=Serial Port Terminal"
    grep -q '^Keywords=.*serial' "$desktop" || fail "no Keywords with serial"
    categories=$(sed -n 's/^Categories=//p' "$desktop")
    [[ ";$categories" == *";Utility;"* ]] || fail "Categories=$categories lacks Utility"

    # Silent, hints included: a hint such as two main categories lists the entry twice in menus.
    if ! out=$(desktop-file-validate "$desktop" 2>&1) || [ -n "$out" ]; then
        fail "desktop-file-validate: $out"
    fi
    out=$(appstreamcli validate --no-net "$metainfo" 2>&1) || fail "appstreamcli validate: $out"
    ;;
program)
    # The installed bin/ is writable here (even more so for root, whom mode bits do not stop):
    # an installed copy keeps its settings in the XDG folder all the same.
    bash "$here/check_installed_program.sh" "$prefix/bin/brevane"
    ;;
*)
    echo "usage: $0 layout|program BUILD_DIR [SOURCE_DIR]" >&2
    exit 2
    ;;
esac
exit $failed
