#!/usr/bin/env bash
# Installs what is needed, builds Quorvel and runs its main job on the data
# shipped in samples/, in a fresh data home under the build folder: every
# sample store is imported, then the databases and a few stored messages
# are shown. With --gui, the desktop program then opens on that data.
set -euo pipefail
cd "$(dirname "$0")/.."
gui=no
case "${1:-}" in
  --gui) gui=yes ;;
  "") ;;
  *) echo "usage: scripts/demo.sh [--gui]" >&2; exit 64 ;;
esac
scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DQV_TESTS=OFF
cmake --build build/release -j2
home=build/release/demo-home
rm -rf "$home"
quorvel=build/release/quorvel
q() { "$quorvel" --home "$home" "$@"; }
# A fresh installation: the first command creates the data home's
# configuration tables; then show what the installation holds.
q info
echo
q db list

# The databases the samples go to (each samples/ folder's README.md says
# what its files hold). Jane Smith's mailbox receives the mail of the
# Internet, CompuServe client and container samples; Andre Dupont's that of
# the record-structured CompuServe stores; Tom Owner's that of the capture
# files. Forum and newsgroup databases
# named by the files are created by the imports themselves.
dbid() { python3 -c 'import json, sys; print(json.load(sys.stdin)["id"])'; }
jane=$(q --json db add-mail "Jane Smith" jane@example.org --alt jane@work.example janesmith | dbid)
andre=$(q --json db add-mail "Andre Dupont" "76543,210" --alt andre@example.com | dbid)
tom=$(q --json db add-mail "Tom Owner" "70000,100" | dbid)
printers=$(q --json db add-forum "Printers" | dbid)
club=$(q --json db add-forum "Capture Club" | dbid)

# import_sample FORMAT WHAT FILE...: one import run of sample files (all in
# one folder). WHAT is a comma list of mail (to $mail_db), forum (files
# that name no forum: to $forum_db), forums (files that name their forums),
# news, and again (import messages met before once more).
mail_db=$jane
forum_db=$printers
import_sample() {
  local format=$1 what=$2
  shift 2
  local args=(--format "$format" --method files --path "$(dirname "$1")")
  for f in "$@"; do args+=(--file "$(basename "$f")"); done
  local kind
  for kind in ${what//,/ }; do
    case $kind in
      mail) args+=(--mail --mail-db "$mail_db") ;;
      forum) args+=(--forum --forum-db "$forum_db") ;;
      forums) args+=(--forum) ;;
      news) args+=(--news) ;;
      again) args+=(--reimport) ;;
      *) echo "import_sample: unknown kind $kind" >&2; return 2 ;;
    esac
  done
  echo
  echo "== $format: $*"
  q import "${args[@]}"
}

# Internet mail and news stores (samples/internet).
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

# Outlook Express 5 and AOL stores (samples/containers).
s=samples/containers
import_sample "Outlook Express 5 Mail" mail $s/INBOX.DBX
import_sample "Outlook Express 5 News" news $s/NEWS.DBX
import_sample AOL mail $s/JANE.AOL

# CompuServe client stores (samples/cim): the filing cabinet, then the
# folder of message files; forum messages go to the forums they name.
import_sample "CompuServe 3 and 4" forums,mail samples/cim/FCABINET.DAT
echo
echo "== WinCIM: samples/cim/messages"
q import --format WinCIM --method dir --path samples/cim/messages --forum --mail --mail-db "$jane"

# Record-structured CompuServe stores (samples/records): CISCOMM forum
# messages into "Printers", the mail into Andre Dupont's mailbox, NavCIS
# forums and OUI newsgroups into databases of their names.
mail_db=$andre
s=samples/records
import_sample CISCOMM forum $s/CISFORUM.DBF
import_sample CISCOMM mail $s/CISMAIL.DBF
import_sample "NavCIS 1.6x" forums,mail $s/RECV.DBF
import_sample "NavCIS 1.7x-" forums,mail $s/HRECV.DBF
import_sample OUI mail,news $s/MESSAGE.DBF

# CompuServe capture files (samples/capture): forum messages of the
# formats whose files name no forum into "Capture Club", mail into Tom
# Owner's mailbox. The formats' files hold the same forum messages, each
# in its own layout, so every later format imports them again.
mail_db=$tom
forum_db=$club
s=samples/capture
for f in "TAPCIS 6.x:TAPCIS6" "AUTOSIG:AUTOSIG" "TAPCIS 5.x:TAPCIS5" "OzWin I:OZWIN1" "OzWin II:OZWIN2" \
         "OzCIS:OZCIS" "GoldenCompass:GOLDENCOMPASS" "NavCIS Save format:NAVCIS"; do
  format=${f%%:*} stem=${f#*:}
  import_sample "$format" forum,again $s/"$stem"-FORUM.*
  import_sample "$format" mail,again $s/"$stem"-MAIL.*
done
import_sample VirtualAccess forums,mail,news $s/VIRTUALACCESS.TXT
import_sample "Agent News" news $s/AGENT-NEWS.TXT
import_sample "Unix News" news $s/UNIX-NEWS.TXT

# What the installation holds now, and a few of the stored messages: the
# first mails, one newsgroup and one forum with their texts.
echo
q db list
echo
q dump --db "$jane" >"$home/mail-dump.txt"
head -n 12 "$home/mail-dump.txt"
news_db=$(q db list | awk '/rec\.arts\.books/ { print $1; exit }')
echo
q dump --db "$news_db" --text
echo
q dump --db "$printers" --text
echo
q dump --db "$club" --text

# The word index's stop words: one list for every database, words the
# index never keeps.
echo
q stopwords add the and of
q stopwords list

# The word index: every import above indexed its new messages. The most
# frequent words of Jane's mailbox, a search for the first of them (stored
# as the result set the browses show), and a recount that finds the index
# up to date.
echo
q words --db "$jane" --top 8
top=$(q --json words --db "$jane" --top 1 | sed -n 's/.*"word": "\([^"]*\)".*/\1/p' | head -n 1)
q search --db "$jane" "$top"
q search --db "$jane" --sort sender "$top" OR mail
q index --db "$jane" --recount

# A found mail in the text pane, as a browse shows it.
echo
found=$(q --json search --db "$jane" --stored | sed -n 's/.*"id": \([0-9]*\).*/\1/p' | head -n 1)
q show --db "$jane" "$found"

# The message browse: the first page of Capture Club by date, each line with
# its effective status.
echo
q browse --db "$club" --count 5

# The thread tree: the reply tree of the thread that holds a forum message,
# the message itself marked.
echo
q tree 412350 --db "$club"

# The mail browse: Jane's mailbox by partner, each mail with its persons.
echo
q browse --db "$jane" --view partner --count 6

# Topics: one for printer talk, the sample thread's messages tagged with it,
# and the topic's messages as the browse's topic view shows them.
echo
q topics add "Printer talk" --db "$club"
q tag 412345 "Printer talk" --db "$club" >/dev/null
q tag 412350 "Printer talk" --db "$club" >/dev/null
q topics list --db "$club"
q topics show "Printer talk" --db "$club"

# Export: Capture Club's forum messages written as a TAPCIS file into the
# temporary directory (the command prints the file's full path), and that
# file imported into a fresh installation, which then holds as many
# messages as Capture Club.
echo
saved=$(q --json export --db "$club" --format tapcis --select all |
  python3 -c 'import json, sys; print(json.load(sys.stdin)["files"])')
echo "Capture Club exported as TAPCIS to $saved"
fresh=build/release/demo-export-home
rm -rf "$fresh"
qf() { "$quorvel" --home "$fresh" "$@"; }
copy=$(qf --json db add-forum "Capture Club" | dbid)
qf import --format "TAPCIS 6.x" --method files --path "$(dirname "$saved")" --file "$(basename "$saved")" \
  --forum --forum-db "$copy" >/dev/null
messages() { "$quorvel" --home "$1" --json dump --db "$2" | python3 -c 'import json, sys; print(len(json.load(sys.stdin)))'; }
echo "Capture Club holds $(messages "$home" "$club") messages; the fresh installation imported $(messages "$fresh" "$copy")"

# Duplicate persons: Jane's mail partners that share an address merged into one.
echo
q dedupe --db "$jane"

# Purging: the thread of Capture Club's first stored message marked Delete,
# the purge (which counts the database at its end, and takes the topic links
# of the purged messages with them), and a count on its own.
echo
thread=$(q --json dump --db "$club" | python3 -c 'import json, sys; print(json.load(sys.stdin)[0]["thread"])')
q status thread "$thread" delete --db "$club"
q purge --db "$club"
q count --db "$club"
q topics list --db "$club"

# A scheduled task: an import definition for a folder where new mail
# arrives, a task that runs it on Mondays and Thursdays at 02:00 and
# afterwards eliminates duplicates, purges (which counts) and indexes; a
# run-now request, and the due check the systemd timer (or cron) makes:
# it imports the new mail unattended and logs the run and its steps.
echo
incoming="$home/incoming"
mkdir -p "$incoming"
cat >"$incoming/new.mbox" <<'MAIL'
From bob@example.org Mon Dec  7 08:00:00 2026
From: Bob Ray <bob@example.org>
To: Jane Smith <jane@example.org>
Subject: Scheduled hello
Date: Mon, 7 Dec 2026 08:00:00 +0000
Message-ID: <scheduled-1@example.org>

Delivered by the nightly task.

MAIL
nightly_def=$(q definitions add "Incoming mail" --format "Generic Mail Type 2" --method dir --path "$incoming" \
  --mask "*.mbox" --mail --mail-db "$jane")
nightly=$(q tasks add "Nightly mail" --date "$(date +%F)" --time 02:00 --weekdays mon,thu \
  --definition "$nightly_def" --dupes --purge --index)
q tasks run-now "$nightly"
q tasks list
q scheduler run-due
q tasks log "$nightly"
# Where systemd is absent, install prints the crontab line instead.
QUORVEL_NO_SYSTEMD=1 q scheduler install

# Today's mail files: Jane's mailbox as one mbox file that mail programs
# open (the command prints the full path it wrote), and her correspondents
# as an Eudora address list in the temporary directory.
echo
rm -f "$home/jane.mbox"
q export-mailbox --db "$jane" --format mbox --select all "$home/jane.mbox"
echo "messages in $home/jane.mbox: $(grep -c '^From ' "$home/jane.mbox")"
q export-addresses --db "$jane" --format eudora

# Printing: the Capture Club's messages laid out on numbered pages as a PDF
# file in the temporary directory (--print would also hand it to CUPS).
echo
q print --db "$club" --select all

# The desktop program: the frame with Capture Club's browse, on the same
# data home. It needs a display (under plain SSH, run it through xvfb-run).
if [[ $gui == yes ]]; then
  echo
  echo "Starting the desktop program on $home"
  q db activate "$club" >/dev/null
  exec build/release/app/gui/quorvel-gui --home "$home"
fi
echo
echo "The desktop program shows the same data: build/release/app/gui/quorvel-gui --home $home (or scripts/demo.sh --gui)"
