#!/usr/bin/env bash
# Runs the libFuzzer harnesses of the fuzz preset, one per core at a time.
#   scripts/fuzz.sh [-t SECONDS] [-r RUNS] [-j JOBS] [HARNESS...]
# Each harness runs until RUNS executions (default 10 million) or SECONDS
# (default 60) have passed, whichever comes first, on a working corpus in
# build/fuzz/corpus/HARNESS seeded from the checked-in fuzz/corpus/HARNESS, with
# fuzz/HARNESS.dict when there is one. A crashing input lands in
# build/fuzz/findings/HARNESS/; mend it, then add it to fuzz/corpus/HARNESS so
# that make test replays it. The last lines give executions and findings per
# harness. Without names, every harness runs.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=60
runs=10000000
jobs=$(nproc)
while getopts "t:r:j:" option; do
  case $option in
    t) seconds=$OPTARG ;;
    r) runs=$OPTARG ;;
    j) jobs=$OPTARG ;;
    *) echo "usage: $0 [-t SECONDS] [-r RUNS] [-j JOBS] [HARNESS...]" >&2; exit 2 ;;
  esac
done
shift $((OPTIND - 1))

binaries=build/fuzz/fuzz
work=build/fuzz
if [ $# -eq 0 ]; then
  set -- $(ls fuzz/corpus)
fi
for harness in "$@"; do
  [ -x "$binaries/${harness}_fuzz" ] || { echo "no harness $harness (build the fuzz preset first)" >&2; exit 2; }
done

run_one() {
  local harness=$1 corpus=$work/corpus/$1 findings=$work/findings/$1 log=$work/logs/$1.log
  mkdir -p "$corpus" "$findings" "$work/logs"
  cp -n fuzz/corpus/"$harness"/* "$corpus"/ 2>/dev/null || true
  local options=(-runs="$runs" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=4096
                 -print_final_stats=1 -artifact_prefix="$findings/")
  [ -f fuzz/"$harness".dict ] && options+=(-dict=fuzz/"$harness".dict)
  "$binaries/${harness}_fuzz" "${options[@]}" "$corpus" >"$log" 2>&1 || true
  local executions
  executions=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo "?")
  printf '%-20s %12s executions %4s s  %s findings\n' "$harness" "${executions:-?}" \
    "$(grep -o 'Done [0-9]* runs in [0-9]* second' "$log" | grep -o '[0-9]* second' | grep -o '[0-9]*' || echo "$seconds")" \
    "$(find "$findings" -type f | wc -l)"
}
export -f run_one
export binaries work seconds runs

printf '%s\n' "$@" | xargs -P "$jobs" -I{} bash -c 'run_one {}'
