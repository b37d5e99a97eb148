#!/usr/bin/env bash
# Includes run downward only: each folder of src/ includes its own headers and those of the
# folders below it, never those beside or above it; and only src/port includes termios or
# ioctl headers. Prints every include that breaks this and fails.
set -euo pipefail
src="$1"
# Lower numbers lie lower; folders of the same number do not include each other.
declare -A rank=([base]=0 [i18n]=1 [port]=1 [receive]=1 [transmit]=2 [services]=2 [about]=2 [app]=3)
fail=0
for dir in "$src"/*/; do
    folder=$(basename "$dir")
    own=${rank[$folder]:-}
    if [ -z "$own" ]; then
        echo "src/$folder has no place in the layers of $0"
        fail=1
        continue
    fi
    while IFS= read -r hit; do
        included=$(sed -E 's/^[^:]*:[0-9]+:#include "([A-Za-z0-9_]+)\/.*/\1/' <<<"$hit")
        [ "$included" = "$folder" ] && continue
        if [ "${rank[$included]:-99}" -ge "$own" ]; then
            echo "not downward: $hit"
            fail=1
        fi
    done < <(grep -rnE '^#include "[A-Za-z0-9_]+/' "$dir" || true)
    if [ "$folder" != port ]; then
        if grep -rnE '^#include <(termios\.h|sys/ioctl\.h|asm/termbits\.h|asm/ioctls\.h|linux/serial\.h)>' "$dir"; then
            echo "only src/port may include termios or ioctl headers"
            fail=1
        fi
    fi
done
exit $fail
