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

# The sample stores of samples/ (each folder's README.md says what they
# hold), one import per format. The mail goes to one mail database, its
# owner's; newsgroup databases are created by the imports themselves.
mail_db=$("$quorvel" --home "$home" db add-mail "Jane Smith" jane@example.org --alt jane@work.example |
  awk '$1 == "id:" { print $2 }')

# import_sample FORMAT mail|news FILE...: one import run of sample files
# (all in one folder); mail goes to the mail database above.
import_sample() {
  local format=$1 kind=$2
  shift 2
  local args=(--format "$format" --method files --path "$(dirname "$1")")
  for f in "$@"; do args+=(--file "$(basename "$f")"); done
  case $kind in
    mail) args+=(--mail --mail-db "$mail_db") ;;
    news) args+=(--news) ;;
    *) echo "import_sample: unknown kind $kind" >&2; return 2 ;;
  esac
  echo
  echo "== $format: $*"
  "$quorvel" --home "$home" import "${args[@]}"
}

s=samples/internet
import_sample Eudora mail $s/eudora/In.mbx $s/eudora/Out.mbx
import_sample "IE Mail" mail $s/ie-mail/Inbox.mbx
import_sample "Outlook Express 4 Mail" mail $s/oe4-mail/Inbox.mbx
import_sample "Netscape Mail" mail $s/netscape-mail/Inbox
import_sample Pegasus mail $s/pegasus/FOL00001.PMM
import_sample TheBat mail $s/thebat/messages.tbb
import_sample "Generic Mail Type 1" mail $s/generic-mail-1/mail.txt
import_sample "Becky Mail" mail $s/becky/Inbox.mbx
import_sample "Agent Mail" mail $s/agent/AGENT.TXT
import_sample "Generic Mail Type 2" mail $s/generic-mail-2/mbox
import_sample "Poco Mail" mail $s/poco/Inbox.mbx
import_sample Winvn news $s/winvn/ALTFOLK.TXT
import_sample Gravity news $s/gravity/rec.arts.books.txt
import_sample "IE News" news $s/ie-news/news.example.net.nch
import_sample "Outlook Express 4 News" news $s/oe4-news/rec.arts.books.nch
import_sample "Netscape News" news $s/netscape-news/comp.os.ms-windows.misc.snm

# What the installation holds now, and a few of the stored messages: the
# first ten mails, and one newsgroup with its texts.
echo
"$quorvel" --home "$home" db list
echo
"$quorvel" --home "$home" dump --db "$mail_db" >"$home/mail-dump.txt"
head -n 12 "$home/mail-dump.txt"
news_db=$("$quorvel" --home "$home" db list | awk '/rec\.arts\.books/ { print $1; exit }')
echo
"$quorvel" --home "$home" dump --db "$news_db" --text
