# Shared by run.sh and test.sh: installs the Debian packages Kelvo needs (skipping those already
# present) and configures and builds a build folder. Sourced, not run.

KELVO_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Packages to build and run the program.
KELVO_BUILD_PACKAGES=(g++ make cmake pkg-config qt6-base-dev qt6-charts-dev libqt6opengl6-dev libgl-dev
                      portaudio19-dev libgtest-dev libgmock-dev libbenchmark-dev fonts-dejavu-core
                      libcli11-dev libsndfile1-dev)
# The icon's PNG sizes are drawn from its SVG at build time.
KELVO_BUILD_PACKAGES+=(librsvg2-bin)
# Extra packages for the test suite: a real sound server to record what the program plays.
KELVO_TEST_PACKAGES=(pulseaudio pulseaudio-utils libasound2-plugins sox)
# The Debian package's check: building it with computed dependencies, validating its desktop entry
# and metainfo, and starting it from a scratch root under a virtual display, driven over the
# accessibility bus.
KELVO_TEST_PACKAGES+=(dpkg-dev file binutils desktop-file-utils appstream xvfb dbus-daemon dbus-bin at-spi2-core
                      python3-gi gir1.2-atspi-2.0)
# The window read through the accessibility bus, as a screen reader reads it, on a private X server.
KELVO_TEST_PACKAGES+=(dbus xdotool)
# Extra packages for the fuzz targets: clang with its libFuzzer and sanitizer runtimes.
KELVO_FUZZ_PACKAGES=(clang libclang-rt-14-dev)

kelvo_install_packages() {
    local missing=() pkg
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# kelvo_build <folder> [cmake options...] [-- targets...]
kelvo_build() {
    local dir="$KELVO_ROOT/$1"
    shift
    local options=() targets=()
    while [ $# -gt 0 ] && [ "$1" != "--" ]; do options+=("$1"); shift; done
    [ "${1:-}" = "--" ] && shift
    targets=("$@")
    if [ ! -f "$dir/CMakeCache.txt" ]; then
        cmake -S "$KELVO_ROOT" -B "$dir" -G "Unix Makefiles" "${options[@]}" >/dev/null
    fi
    local jobs
    jobs=$(nproc 2>/dev/null || echo 2)
    if [ ${#targets[@]} -eq 0 ]; then
        cmake --build "$dir" -j"$jobs"
    else
        cmake --build "$dir" -j"$jobs" --target "${targets[@]}"
    fi
}
