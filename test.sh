#!/usr/bin/env bash
# ./test.sh: installs what is missing, builds with AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh

cmake -S . -B build/sanitize -DCMAKE_BUILD_TYPE=Debug -DARRHYTHMICA_SANITIZE=ON >/dev/null
cmake --build build/sanitize -j"$(nproc)"

# strict string checks would flag a read of the X keyboard library, not ours.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/support/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
cd build/sanitize
ctest --output-on-failure -j"$(nproc)" "$@"
