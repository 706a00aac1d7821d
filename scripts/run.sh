#!/usr/bin/env bash
# Builds Kelvo if needed and starts it in a working folder kept between runs, where the learner's
# settings ("Kelvoinit.txt") and notes ("Notepad.txt") live beside the practice texts and help.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "Kelvo is a desktop program and needs a graphical display, but none was found (DISPLAY and WAYLAND_DISPLAY are not set)." >&2
    echo "Start it from a desktop session, or under xvfb-run for a virtual display." >&2
    exit 1
fi

kelvo_install_packages "${KELVO_BUILD_PACKAGES[@]}"
kelvo_build build -- kelvo kelvo-render >/dev/null

work="${XDG_DATA_HOME:-$HOME/.local/share}/kelvo"
mkdir -p "$work"
# Fill in missing data files only; never overwrite what the learner has.
for f in "$KELVO_ROOT"/data/*; do
    [ -f "$f" ] && cp -n "$f" "$work/"
done
cd "$work"
exec "$KELVO_ROOT/build/app/kelvo"
