#!/usr/bin/env bash
# An audit of an archive of 8 sealed datasets, 2 of them changed since, on a one-node Slurm
# started for the test: a job array of 4 shards, then the merge. The merged report must
# name exactly the 2 changed datasets and agree item by item with one verify of the whole
# list on this machine. usage: audit_test.sh ZT7UTIL
# Exit 77 (skipped) when the cluster cannot start, unless CI=true, where that fails.
set -uo pipefail
tool=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
work=$(mktemp -d /tmp/zt7-audit.XXXXXX)
cluster="$work/cluster"

finish() {
  "$here/cluster" stop "$cluster" >/dev/null 2>&1
  rm -rf "$work"
}
trap finish EXIT
fail() {
  echo "audit_test: $*" >&2
  exit 1
}

# The archive: datasets with files in sub-folders, two of them changed after sealing.
mkdir -p "$work/archive" && cd "$work/archive" || fail "no work folder"
for i in 0 1 2 3 4 5 6 7; do
  mkdir -p "set-$i/frames" "set-$i/processed"
  head -c $((4096 + i * 1000)) /dev/urandom >"set-$i/frames/image_001.img"
  head -c $((4096 + i * 1000)) /dev/urandom >"set-$i/frames/image_002.img"
  echo "dataset $i" >"set-$i/processed/notes.txt"
  echo "set-$i" >>"$work/list.txt"
done
"$tool" seal --from "$work/list.txt" >/dev/null || fail "seal --from failed"
echo "changed" >>"set-2/processed/notes.txt"
rm "set-5/frames/image_002.img"

if ! "$here/cluster" start "$cluster" 2>"$work/cluster.err"; then
  cat "$work/cluster.err" >&2
  [ "${CI:-}" = true ] && fail "the cluster did not start"
  echo "audit_test: skipped: the cluster did not start" >&2
  exit 77
fi
export SLURM_CONF="$cluster/slurm.conf" ZT7UTIL="$tool"

sbatch --wait --array=0-3 --output="$work/task-%a.log" \
  "$root/examples/slurm/audit.sbatch" "$work/list.txt" "$work/reports" >/dev/null ||
  { cat "$work"/task-*.log >&2; fail "an array task failed"; }
"$tool" merge-reports --json "$work"/reports/shard-*.json >"$work/merged.json"
[ $? -eq 1 ] || fail "merge-reports did not exit 1 for an archive with changes"
"$tool" verify --from "$work/list.txt" --json >"$work/single.json"
[ $? -eq 1 ] || fail "verify --from did not exit 1 for an archive with changes"

python3 - "$work/merged.json" "$work/single.json" <<'PY' || exit 1
import json, sys
merged = json.load(open(sys.argv[1]))
single = json.load(open(sys.argv[2]))
def datasets(report):
    return {d["folder"]: d for d in report["datasets"]}
m, s = datasets(merged), datasets(single)
changed = sorted(f for f, d in m.items() if not d["intact"])
if [f.rsplit("/", 1)[-1] for f in changed] != ["set-2", "set-5"]:
    sys.exit(f"audit_test: the merged report names {changed}, not set-2 and set-5")
if sorted(m) != sorted(s):
    sys.exit(f"audit_test: the merged report covers {sorted(m)}, verify {sorted(s)}")
for folder in s:
    if m[folder] != s[folder]:
        sys.exit(f"audit_test: {folder} differs:\n{m[folder]}\n{s[folder]}")
if merged["shards"]["missing"] or merged["intact"]:
    sys.exit("audit_test: the merge reports missing shards or an intact archive")
PY
echo "audit_test: 4 shards merged; set-2 and set-5 changed, as verify on one machine says"
