#!/usr/bin/env bash
# Runs one libFuzzer program on the seed executables for a time or a number
# of executions. New inputs it finds go to a scratch corpus in the work
# folder, never into the seeds; a crashing input is kept there and named.
#   run_fuzz.sh libfuzzer <program> <seed folder> <work folder> (--seconds n | --runs n)
set -euo pipefail
kind=$1 program=$2 seeds=$3 work=$4 limit=$5 amount=$6
[ "$kind" = libfuzzer ] || { echo "unknown kind $kind" >&2; exit 2; }
rm -rf "$work/corpus"
mkdir -p "$work/corpus" "$work/artifacts"
case "$limit" in
  --seconds) bound=(-max_total_time="$amount") ;;
  --runs) bound=(-runs="$amount") ;;
  *) echo "unknown limit $limit" >&2; exit 2 ;;
esac
# A run taking 10 s is a hang; 2 GB of memory is a leak or a bomb.
status=0
"$program" "${bound[@]}" -dict="$(dirname "$0")/payload.dict" -timeout=10 -rss_limit_mb=2048 -max_len=65536 -print_final_stats=1 \
  -artifact_prefix="$work/artifacts/" "$work/corpus" "$seeds" >"$work/log" 2>&1 || status=$?
grep -E '^(stat::number_of_executed_units|stat::average_exec_per_sec|stat::peak_rss_mb)|^#[0-9]+ *DONE' "$work/log" || true
if [ "$status" -ne 0 ]; then
  tail -n 60 "$work/log"
  echo "FAILED: $(basename "$program") (status $status); inputs kept in $work/artifacts:" $(ls "$work/artifacts")
fi
rm -rf "$work/corpus"
exit "$status"
