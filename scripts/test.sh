#!/usr/bin/env bash
# Builds Kelvo and runs the whole test suite three ways: a plain build, a build with
# AddressSanitizer + UndefinedBehaviorSanitizer, and the Qt-free core under ThreadSanitizer.
# Any failure or sanitizer report fails the run.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

kelvo_install_packages "${KELVO_BUILD_PACKAGES[@]}" "${KELVO_TEST_PACKAGES[@]}"
jobs=$(nproc 2>/dev/null || echo 2)

echo "== plain build"
kelvo_build build
(cd "$KELVO_ROOT/build" && ctest --output-on-failure -j"$jobs")

echo "== AddressSanitizer + UndefinedBehaviorSanitizer"
kelvo_build build-asan -DKELVO_SANITIZE=address -DCMAKE_BUILD_TYPE=Debug
(cd "$KELVO_ROOT/build-asan" &&
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1 \
    LSAN_OPTIONS=suppressions="$KELVO_ROOT/tests/lsan.supp":print_suppressions=0 \
    UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    ctest --output-on-failure -j"$jobs")

echo "== ThreadSanitizer (Qt-free core)"
kelvo_build build-tsan -DKELVO_SANITIZE=thread -DKELVO_CORE_ONLY=ON -DCMAKE_BUILD_TYPE=Debug
(cd "$KELVO_ROOT/build-tsan" && TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 ctest --output-on-failure -j"$jobs")

echo "All tests passed."
