#!/usr/bin/env bash
# Installs what is needed, builds Quorvel with AddressSanitizer and
# UndefinedBehaviorSanitizer and warnings as errors, and runs every test.
# Then the tests where processes and sessions race (locks, several
# processes at once, kills) run again in an optimized build: the
# sanitizers slow processes down enough to hide such races.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQV_SANITIZE=ON -DQV_WERROR=ON
cmake --build build/test -j2
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir build/test -j2 --output-on-failure --timeout 600

# The racing tests, by name: what runs processes or sessions against each
# other, holds locks, or kills a writer.
racing='Process|Session|Lock|Crash|Killed|Race|AtOnce|Concurrent|Transaction|Thread|Elsewhere|Waiting|RunDue'
# (Warnings are errors in the build above; GCC 12 at -O3 adds false ones.)
cmake -S . -B build/test-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DQV_WERROR=OFF
cmake --build build/test-release -j2 --target quorvel test_store test_import test_app test_wordindex test_maintenance \
  qv_engine_child qv_store_child qv_import_child
ctest --test-dir build/test-release -j2 --output-on-failure --timeout 600 -R "$racing"
