#!/usr/bin/env bash
# Builds Kelvo and runs the whole test suite three ways: a plain build, a build with
# AddressSanitizer + UndefinedBehaviorSanitizer, and the Qt-free core under ThreadSanitizer.
# The plain run also plays through a private PulseAudio server (tests labelled "sound"); the
# sanitizer runs leave those out, since the sound libraries themselves report races and leaks.
# The screen-reader test (label "a11y") reads the plain build's program through the accessibility
# bus; the sanitizer run leaves it out too, the window's logic being tested there by the GUI tests.
# Any failure or sanitizer report fails the run.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

# A PulseAudio server of our own, in a scratch folder, with one null sink as the default output:
# PortAudio reaches it through ALSA's default device (the pulse plugin), and the sound tests
# record the sink's monitor. Nothing of the user's own sound setup is touched or used.
sound_dir=""
sound_pid=""

stop_sound_server() {
    if [ -n "$sound_pid" ]; then
        kill "$sound_pid" 2>/dev/null || true
        wait "$sound_pid" 2>/dev/null || true
        sound_pid=""
    fi
    if [ -n "$sound_dir" ]; then
        rm -rf "$sound_dir"
        sound_dir=""
    fi
    unset PULSE_SERVER PULSE_COOKIE KELVO_SOUND_SERVER
}

start_sound_server() {
    sound_dir=$(mktemp -d "${TMPDIR:-/tmp}/kelvo-sound.XXXXXX")
    mkdir -m 700 "$sound_dir/home" "$sound_dir/runtime"
    # Its own HOME and runtime folder keep its state out of the user's; as root it warns that it
    # is meant for a user session, which is what it is here. Its messages go to a log.
    HOME="$sound_dir/home" XDG_RUNTIME_DIR="$sound_dir/runtime" \
        pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit --use-pid-file=no \
        --log-target=stderr \
        --load="module-native-protocol-unix auth-anonymous=1 socket=$sound_dir/native" \
        --load="module-null-sink sink_name=nul" >"$sound_dir/pulseaudio.log" 2>&1 &
    sound_pid=$!
    export PULSE_SERVER="unix:$sound_dir/native"
    # Clients would otherwise create a cookie in the user's HOME; the server needs none.
    export PULSE_COOKIE="$sound_dir/cookie"
    local tries
    for tries in $(seq 100); do
        pactl info >/dev/null 2>&1 && break
        if ! kill -0 "$sound_pid" 2>/dev/null || [ "$tries" -eq 100 ]; then
            echo "The PulseAudio server for the sound tests did not start:" >&2
            cat "$sound_dir/pulseaudio.log" >&2
            exit 1
        fi
        sleep 0.1
    done
    pactl set-default-sink nul
    export KELVO_SOUND_SERVER=1
}

trap stop_sound_server EXIT
# An interrupted run still stops the server: exiting runs the EXIT trap.
trap 'exit 130' INT
trap 'exit 143' TERM

kelvo_install_packages "${KELVO_BUILD_PACKAGES[@]}" "${KELVO_TEST_PACKAGES[@]}"
jobs=$(nproc 2>/dev/null || echo 2)

echo "== plain build"
kelvo_build build
start_sound_server
(cd "$KELVO_ROOT/build" && ctest --output-on-failure -j"$jobs")
stop_sound_server

echo "== AddressSanitizer + UndefinedBehaviorSanitizer"
kelvo_build build-asan -DKELVO_SANITIZE=address -DCMAKE_BUILD_TYPE=Debug
(cd "$KELVO_ROOT/build-asan" &&
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1 \
    LSAN_OPTIONS=suppressions="$KELVO_ROOT/tests/lsan.supp":print_suppressions=0 \
    UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    ctest --output-on-failure -j"$jobs" -LE "sound|a11y")

echo "== ThreadSanitizer (Qt-free core)"
kelvo_build build-tsan -DKELVO_SANITIZE=thread -DKELVO_CORE_ONLY=ON -DCMAKE_BUILD_TYPE=Debug
(cd "$KELVO_ROOT/build-tsan" && TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 ctest --output-on-failure -j"$jobs" -LE sound)

echo "== Fuzzing (libFuzzer with AddressSanitizer + UndefinedBehaviorSanitizer)"
# Each target starts from its committed seeds and runs for a bounded time; a crash, leak,
# timeout or sanitizer report fails the run and leaves the input in build-fuzz/artifacts.
kelvo_install_packages "${KELVO_FUZZ_PACKAGES[@]}"
kelvo_build build-fuzz -DKELVO_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ -- fuzz_all
fuzz_seconds=${KELVO_FUZZ_SECONDS:-8}
fuzz_work=$(mktemp -d "${TMPDIR:-/tmp}/kelvo-fuzz.XXXXXX")
mkdir -p "$KELVO_ROOT/build-fuzz/artifacts"
# Every target has a seed corpus of its own name, so the folders list the targets.
for corpus_dir in "$KELVO_ROOT"/fuzz/corpus/*/; do
    corpus=$(basename "$corpus_dir")
    echo "-- fuzz_$corpus, ${fuzz_seconds} s"
    mkdir "$fuzz_work/$corpus"
    # The window's targets look for leaks once, at the end: Qt keeps caches between inputs, and a
    # leak search after each input would leave them a few dozen inputs a second.
    per_input_leaks=1
    case $corpus in settings_file | practice_library) per_input_leaks=0 ;; esac
    (cd "$fuzz_work" &&
        ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
        LSAN_OPTIONS=suppressions="$KELVO_ROOT/tests/lsan.supp":print_suppressions=0 \
        UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
        "$KELVO_ROOT/build-fuzz/fuzz/fuzz_$corpus" -max_total_time="$fuzz_seconds" -timeout=10 \
            -detect_leaks="$per_input_leaks" -rss_limit_mb=2048 -artifact_prefix="$KELVO_ROOT/build-fuzz/artifacts/fuzz_$corpus-" \
            "$fuzz_work/$corpus" "$KELVO_ROOT/fuzz/corpus/$corpus" 2>"$fuzz_work/$corpus.log") || {
        tail -n 60 "$fuzz_work/$corpus.log" >&2
        exit 1
    }
    tail -n 1 "$fuzz_work/$corpus.log"
done
rm -rf "$fuzz_work"

echo "All tests passed."
