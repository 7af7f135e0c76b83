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

# The record-structured CompuServe stores (samples/records): CISCOMM forum
# messages into a forum database, CISCOMM, NavCIS and OUI mail into a mail
# database, NavCIS forums and OUI newsgroups into databases of their names.
dbid() { python3 -c 'import json, sys; print(json.load(sys.stdin)["id"])'; }
records=samples/records
forum=$("$quorvel" --home "$home" --json db add-forum "Printers" | dbid)
mail=$("$quorvel" --home "$home" --json db add-mail "Andre Dupont" "76543,210" --alt andre@example.com | dbid)
"$quorvel" --home "$home" import --format CISCOMM --path "$records" --file CISFORUM.DBF --forum --forum-db "$forum"
"$quorvel" --home "$home" import --format CISCOMM --path "$records" --file CISMAIL.DBF --mail --mail-db "$mail"
"$quorvel" --home "$home" import --format "NavCIS 1.6x" --path "$records" --file RECV.DBF --forum --mail --mail-db "$mail"
"$quorvel" --home "$home" import --format "NavCIS 1.7x-" --path "$records" --file HRECV.DBF --forum --mail --mail-db "$mail"
"$quorvel" --home "$home" import --format OUI --path "$records" --file MESSAGE.DBF --mail --news --mail-db "$mail"
"$quorvel" --home "$home" dump --db "$forum" --text
"$quorvel" --home "$home" dump --db "$mail"
# CompuServe client stores (samples/cim): the filing cabinet, then the folder
# of message files; forum messages go to the forums they name, mail to
# Jane Smith's mailbox.
echo
cim_mail=$("$quorvel" --home "$home" --json db add-mail "Jane Smith" jane@example.org |
  sed -n 's/^ *"id": *\([0-9]*\).*/\1/p')
"$quorvel" --home "$home" import --format "CompuServe 3 and 4" --method files --path samples/cim \
  --file FCABINET.DAT --forum --mail --mail-db "$cim_mail"
"$quorvel" --home "$home" import --format "WinCIM" --method dir --path samples/cim/messages \
  --forum --mail --mail-db "$cim_mail"
echo
# Outlook Express 5 and AOL stores (samples/containers/): mail into the
# mailbox of their owner, news into one database per newsgroup.
containers=samples/containers
jane=$("$quorvel" --home "$home" --json db add-mail "Jane Smith" jane@example.org --alt janesmith |
  python3 -c 'import json, sys; print(json.load(sys.stdin)["id"])')
"$quorvel" --home "$home" import --format "Outlook Express 5 Mail" --path "$containers" --file INBOX.DBX --mail --mail-db "$jane"
"$quorvel" --home "$home" import --format "Outlook Express 5 News" --path "$containers" --file NEWS.DBX --news
"$quorvel" --home "$home" import --format "AOL" --path "$containers" --file JANE.AOL --mail --mail-db "$jane"
