#!/usr/bin/env bash
# The whole test suite, Qt tests included, built with AddressSanitizer and
# UndefinedBehaviorSanitizer (the "sanitize" preset, build/sanitize). Any report fails
# the test that caused it. Leak reports from third-party libraries only are suppressed
# by scripts/lsan.supp.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh sanitize
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:detect_stack_use_after_return=1:strict_string_checks=1:check_initialization_order=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/scripts/lsan.supp:print_suppressions=0}
ctest --preset sanitize -j "$(nproc)"
