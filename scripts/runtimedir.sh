# Sourced by scripts/run and scripts/screenshots: gives Qt the private runtime folder it expects
# (XDG_RUNTIME_DIR: a folder of the user's own, mode 0700). A desktop login has one; a bare
# shell, a container or a virtual display often has not, and Qt then warns at every start.

brevane_usable_runtime_dir() {
    [ -d "$1" ] && [ ! -L "$1" ] && [ -O "$1" ] && [ "$(stat -c %a "$1")" = 700 ]
}

# Keeps a usable XDG_RUNTIME_DIR, else exports one of this user's own under the temporary
# folder. It is kept between runs: a Brevane that restarts itself (a new language) outlives the
# script that started it and still uses the folder.
brevane_private_runtime_dir() {
    if [ -n "${XDG_RUNTIME_DIR:-}" ] && brevane_usable_runtime_dir "$XDG_RUNTIME_DIR"; then
        return 0
    fi
    local dir="${TMPDIR:-/tmp}/brevane-runtime-$(id -u)"
    mkdir -m 700 "$dir" 2>/dev/null || true
    # Someone else's folder, or a link, under that name: a fresh one instead.
    brevane_usable_runtime_dir "$dir" || dir=$(mktemp -d "${TMPDIR:-/tmp}/brevane-runtime.XXXXXX")
    export XDG_RUNTIME_DIR=$dir
}
