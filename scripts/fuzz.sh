#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs one of them.
#   scripts/fuzz.sh TARGET [SECONDS]     e.g. scripts/fuzz.sh fuzz_engine_open 600
# Findings are written to build/fuzz/findings/TARGET/.
set -euo pipefail
cd "$(dirname "$0")/.."
target=${1:?usage: scripts/fuzz.sh TARGET [SECONDS]}
seconds=${2:-600}
scripts/install-deps.sh --fuzz
CXX=clang++ CC=clang cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQV_FUZZ=ON -DQV_TESTS=OFF
cmake --build build/fuzz -j2 --target "$target"
mkdir -p "build/fuzz/corpus/$target" "build/fuzz/findings/$target"
export ASAN_OPTIONS=detect_leaks=1
exec "build/fuzz/fuzz/$target" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
  -artifact_prefix="build/fuzz/findings/$target/" "build/fuzz/corpus/$target"
