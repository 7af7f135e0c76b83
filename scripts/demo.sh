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
# CompuServe capture files (samples/capture, see its README): a forum database
# for the formats whose files name none, a mail database for their owner.
echo
forum=$("$quorvel" --home "$home" --json db add-forum "Capture Club" | sed -n 's/.*"id": *\([0-9]*\).*/\1/p')
mail=$("$quorvel" --home "$home" --json db add-mail "Tom Owner" "70000,100" | sed -n 's/.*"id": *\([0-9]*\).*/\1/p')
capture=samples/capture
for f in "TAPCIS 6.x:TAPCIS6" "AUTOSIG:AUTOSIG" "TAPCIS 5.x:TAPCIS5" "OzWin I:OZWIN1" "OzWin II:OZWIN2" \
         "OzCIS:OZCIS" "GoldenCompass:GOLDENCOMPASS" "NavCIS Save format:NAVCIS"; do
  format=${f%%:*} stem=${f#*:}
  file=$(cd "$capture" && ls "$stem"-FORUM.* | head -1)
  "$quorvel" --home "$home" import --format "$format" --path "$capture" --file "$file" --forum --forum-db "$forum"
  file=$(cd "$capture" && ls "$stem"-MAIL.* | head -1)
  "$quorvel" --home "$home" import --format "$format" --path "$capture" --file "$file" --mail --mail-db "$mail"
done
"$quorvel" --home "$home" import --format "VirtualAccess" --path "$capture" --file VIRTUALACCESS.TXT --forum --mail --news --mail-db "$mail"
"$quorvel" --home "$home" import --format "Agent News" --path "$capture" --file AGENT-NEWS.TXT --news
"$quorvel" --home "$home" import --format "Unix News" --path "$capture" --file UNIX-NEWS.TXT --news
"$quorvel" --home "$home" db list
