#!/usr/bin/env bash
# The long version of the engine's crash test: a writer process doing
# transactions over three tables is killed at random moments, ROUNDS times
# (default 300); after each kill every table must open, pass SQLite's
# integrity check and hold whole transactions only. Uses the test build.
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-300}
if [[ ! -x build/test/tests/test_store ]]; then scripts/test.sh; fi
QV_CRASH_ROUNDS=$rounds build/test/tests/test_store --gtest_filter='EngineTest.KilledWriterLeavesWholeTransactionsOnly'
