#!/usr/bin/env bash
# Starts an installed Brevane on a virtual X display of its own, with a temporary HOME, and
# checks that it found what an installed copy has to find:
# - its settings in $XDG_CONFIG_HOME/TARNICK/Brevane/ (the caller makes the program's own folder
#   unwritable to it), which it reads and rewrites;
# - its language files under share/brevane: the German language stored in those settings must
#   caption the error of a port that cannot be opened "FEHLER" (English would be "ERROR").
#
# usage: check_installed_program.sh PROGRAM [USER]
#   USER: run the program as this user (needs root), for a program folder only root may write.
# Exits 77 when Xvfb or xwininfo is missing.
set -euo pipefail

program=$1
user=${2:-}
for tool in Xvfb xwininfo; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed (Debian packages xvfb, x11-utils)"
        exit 77
    fi
done

work=$(mktemp -d)
xvfb_pid=""
program_pid=""
cleanup() {
    local pid
    for pid in $program_pid $xvfb_pid; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    [ -s "$work/program.log" ] && sed 's/^/  program: /' "$work/program.log" >&2
    exit 1
}

home=$work/home
settings_folder=$home/.config/TARNICK/Brevane
mkdir -p "$settings_folder" "$work/runtime"
chmod 700 "$work/runtime"
printf 'a line to send\n' >"$work/lines.txt"
# A file to send and Auto Start make the program connect right after start-up, when the
# language is loaded; the port cannot open, so an error message comes up in that language.
# Written without a byte-order mark: the program writes one, which shows it rewrote the file.
printf '[Settings]\nPort=%s\nFilePath=%s\nFileAutoStart=ON\nLanguageFile=German.lang.txt\n' \
    "$work/no-such-port" "$work/lines.txt" >"$settings_folder/settings.ini"

as_user=()
if [ -n "$user" ]; then
    chmod 755 "$work"
    chown -R "$user:$(id -gn "$user")" "$work"
    as_user=(setpriv --reuid="$(id -u "$user")" --regid="$(id -g "$user")" --clear-groups)
fi

# -displayfd picks a free display number itself, so parallel runs never collide.
exec 3>"$work/display"
Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x800x24 >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 3>&-
display=""
for _ in $(seq 1 100); do
    display=$(tr -dc 0-9 <"$work/display")
    [ -n "$display" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
done
[ -n "$display" ] || { cat "$work/xvfb.log" >&2; fail "the virtual X display did not start"; }

# The locale alone would pick English: only the stored setting asks for German.
"${as_user[@]}" env -u LANGUAGE -u LC_ALL -u LC_MESSAGES LANG=C.UTF-8 HOME="$home" \
    XDG_CONFIG_HOME="$home/.config" XDG_RUNTIME_DIR="$work/runtime" DISPLAY=":$display" \
    QT_QPA_PLATFORM=xcb "$program" >"$work/program.log" 2>&1 &
program_pid=$!

found=false
for _ in $(seq 1 100); do
    if DISPLAY=":$display" xwininfo -root -tree 2>/dev/null | grep -qF '"FEHLER"'; then
        found=true
        break
    fi
    kill -0 "$program_pid" 2>/dev/null || fail "the program ended early"
    sleep 0.1
done
program_folder=$(dirname "$program")
if ! $found; then
    echo "Windows on the display:" >&2
    DISPLAY=":$display" xwininfo -root -tree 2>/dev/null | grep -F '"' >&2 || true
    [ ! -e "$program_folder/settings.ini" ] ||
        fail "the program keeps its settings beside itself in $program_folder"
    fail "no message captioned FEHLER: the language files under share/brevane were not used"
fi
kill -0 "$program_pid" 2>/dev/null || fail "the program ended"

[ "$(head -c 3 "$settings_folder/settings.ini" | od -An -tx1 | tr -d ' ')" = efbbbf ] ||
    fail "the settings in $settings_folder were not rewritten by the program"
grep -q '^LanguageFile=German.lang.txt' "$settings_folder/settings.ini" ||
    fail "the stored language was lost from settings.ini"
[ ! -e "$program_folder/settings.ini" ] ||
    fail "settings were written beside the program in $program_folder"
echo "OK: $program found its language files and keeps its settings in $settings_folder"
