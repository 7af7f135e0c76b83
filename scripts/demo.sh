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
echo
# Outlook Express 5 and AOL stores (samples/containers/): mail into the
# mailbox of their owner, news into one database per newsgroup.
containers=samples/containers
jane=$("$quorvel" --home "$home" --json db add-mail "Jane Smith" jane@example.org --alt janesmith |
  python3 -c 'import json, sys; print(json.load(sys.stdin)["id"])')
"$quorvel" --home "$home" import --format "Outlook Express 5 Mail" --path "$containers" --file INBOX.DBX --mail --mail-db "$jane"
"$quorvel" --home "$home" import --format "Outlook Express 5 News" --path "$containers" --file NEWS.DBX --news
"$quorvel" --home "$home" import --format "AOL" --path "$containers" --file JANE.AOL --mail --mail-db "$jane"
