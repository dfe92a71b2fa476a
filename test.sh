#!/usr/bin/env bash
# ./test.sh: installs what is missing, runs the model and engine tests in an
# optimised build, then builds with AddressSanitizer and
# UndefinedBehaviorSanitizer and runs the whole test suite twice: as the
# machine is set up, and once more on a desktop whose locale writes decimal
# commas (de_DE.UTF-8), where every output must stay the same.
set -euo pipefail
cd "$(dirname "$0")"
ARRHYTHMICA_NEEDS="build test" source scripts/setup.sh

# The comma locale the second run needs (and the number tests insist on).
if ! locale -a 2>/dev/null | grep -qix 'de_DE\.utf-\?8'; then
  if grep -q '^# *de_DE.UTF-8 UTF-8' /etc/locale.gen; then
    "${sudo_cmd[@]}" sed -i 's/^# *\(de_DE.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  elif ! grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen; then
    echo 'de_DE.UTF-8 UTF-8' | "${sudo_cmd[@]}" tee -a /etc/locale.gen >/dev/null
  fi
  "${sudo_cmd[@]}" locale-gen
fi

# House style: every tracked C++ file as .clang-format describes it.
unformatted=$(git ls-files '*.cpp' '*.h' | while read -r f; do
  clang-format --dry-run --Werror "$f" >/dev/null 2>&1 || echo "$f"
done)
if [ -n "$unformatted" ]; then
  echo "Not in the house style (run clang-format -i on them):" >&2
  echo "$unformatted" >&2
  exit 1
fi

# The model and engine tests also with the optimised flags ./run.sh builds with.
cmake -S . -B build/release-tests -DCMAKE_BUILD_TYPE=Release -DARRHYTHMICA_BENCH=OFF \
      -DARRHYTHMICA_MODEL_TESTS_ONLY=ON >/dev/null
cmake --build build/release-tests -j"$(nproc)" --target common_tests ecgtrace_model_tests myogrid_engine_tests
(cd build/release-tests && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)" "$@")

cmake -S . -B build/sanitize -DCMAKE_BUILD_TYPE=Debug -DARRHYTHMICA_SANITIZE=ON >/dev/null
cmake --build build/sanitize -j"$(nproc)"

# strict string checks would flag a read of the X keyboard library, not ours.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/support/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
cd build/sanitize
ctest --output-on-failure -j"$(nproc)" "$@"
echo "Once more with decimal commas in the locale (LC_ALL=de_DE.UTF-8):"
LC_ALL=de_DE.UTF-8 ctest --output-on-failure -j"$(nproc)" "$@"
