#!/usr/bin/env bash
# The long version of the word index's kill test: ROUNDS times (default 50)
# an index run over a few thousand mails is killed at random moments, full
# and partial, and rerun; each time the index must equal the one an
# uninterrupted run builds. Uses the optimized test build, where the runs
# are fast enough for the kills to land in every phase.
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-50}
cmake -S . -B build/test-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DQV_WERROR=OFF >/dev/null
ninja -C build/test-release -j2 quorvel test_app >/dev/null
build/test-release/tests/test_app --gtest_filter='CliIndexTest.IndexRunsKilled*' --gtest_repeat="$rounds" \
  --gtest_brief=1
