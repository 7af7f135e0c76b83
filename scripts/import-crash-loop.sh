#!/usr/bin/env bash
# The long version of the import's crash test: an import is killed at random
# moments ROUNDS times (default 100); after each kill every database must be
# consistent, and a final rerun must give what an uninterrupted run gives.
# Uses the test build.
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-100}
if [[ ! -x build/test/tests/test_import ]]; then scripts/test.sh; fi
QV_IMPORT_CRASH_ROUNDS=$rounds build/test/tests/test_import --gtest_filter='ImportCrashTest.*'
