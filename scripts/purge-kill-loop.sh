#!/usr/bin/env bash
# The long version of the purge's kill test: `quorvel purge` is killed at
# random moments ROUNDS times (default 50); after each kill the database must
# be consistent, and a final rerun must give what an uninterrupted run gives.
# Uses the test build.
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-50}
if [[ ! -x build/test/tests/test_maintenance ]]; then scripts/test.sh; fi
QV_PURGE_KILL_ROUNDS=$rounds build/test/tests/test_maintenance --gtest_filter='PurgeKillTest.*'
