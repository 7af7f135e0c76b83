#!/usr/bin/env bash
# Installs what is needed, builds Quorvel and runs its main job on the data
# shipped in samples/, in a fresh data home under the build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DQV_TESTS=OFF
cmake --build build/release -j2
home=build/release/demo-home
rm -rf "$home"
quorvel=build/release/quorvel
# A fresh installation: the first command creates the data home's
# configuration tables; then show what the installation holds.
"$quorvel" --home "$home" info
echo
"$quorvel" --home "$home" db list
