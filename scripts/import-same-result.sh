#!/usr/bin/env bash
# Imports the corpus's "From " mailboxes with one quorvel program into a
# fresh data home and writes what every database holds, as
# `quorvel dump --text --json`, to OUTDIR/db-ID.json. Run it with the
# program before and after a change and compare with `diff -r`: a change
# that keeps the stored result leaves no difference.
#
#   scripts/import-same-result.sh QUORVEL OUTDIR [CORPUS]
set -euo pipefail
if [[ $# -lt 2 ]]; then
  echo "usage: $0 QUORVEL OUTDIR [CORPUS]" >&2
  exit 2
fi
quorvel=$(realpath "$1")
out=$2
corpus=$(realpath "${3:-$(dirname "$0")/../../shared/corpus}")
home=$(mktemp -d /tmp/qv-same-result.XXXXXX)
trap 'rm -rf "$home"' EXIT
mkdir -p "$out"
rm -f "$out"/db-*.json

q() { "$quorvel" --home "$home" "$@"; }
id=$(q --json db add-mail 'Jane Smith' jane@example.org | python3 -c 'import json,sys; print(json.load(sys.stdin)["id"])')
# Only the import: a program that indexes afterwards is told not to.
no_index=()
if q import --help | grep -q -- --no-index; then no_index=(--no-index); fi
q --json import --format 'Generic Mail Type 2' --method tree --path "$corpus/mbox" --mask '*' --mail \
  --mail-db "$id" "${no_index[@]}" >"$out/import.json"
# The summary's counts stay; its timings do not.
python3 - "$out/import.json" <<'EOF'
import json, sys
summary = json.load(open(sys.argv[1]))
kept = {k: v for k, v in summary.items() if "seconds" not in k}
open(sys.argv[1], "w").write(json.dumps(kept, indent=2) + "\n")
EOF
for db in $(q --json db list | python3 -c 'import json,sys; print(" ".join(str(r["id"]) for r in json.load(sys.stdin)))'); do
  q --json dump --db "$db" --text >"$out/db-$db.json"
done
wc -c "$out"/*.json
