#!/usr/bin/env bash
# Builds Kelvo if needed and starts it in the learner's folder (~/.local/share/kelvo), kept between
# runs, where the settings ("Kelvoinit.txt") and notes ("Notepad.txt") live beside the practice
# texts and help page.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "Kelvo is a desktop program and needs a graphical display, but none was found (DISPLAY and WAYLAND_DISPLAY are not set)." >&2
    echo "Start it from a desktop session, or under xvfb-run for a virtual display." >&2
    exit 1
fi

kelvo_install_packages "${KELVO_BUILD_PACKAGES[@]}"
kelvo_build build -- kelvo kelvo-render >/dev/null

# The launcher that the installed "kelvo" command is, pointed at the build tree: it prepares the
# learner's folder (copying or updating the practice texts and help page) and starts Kelvo there.
KELVO_DATA_DIR="$KELVO_ROOT/data" KELVO_PROGRAM="$KELVO_ROOT/build/app/kelvo" \
    exec "$KELVO_ROOT/build/app/kelvo-launcher"
