#!/bin/sh
# Wall time of a whole calvane-sim process, averaged over N runs (default 200):
# --version, and a one-phase run of a small structure writing its reflections.
# /bin/true is timed the same way: the cost of starting any process here.
#   bench/startup_time.sh [build] [N]
build=${1:-build}
runs=${2:-200}
sim="$build/program/calvane-sim"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
time_runs() {
  start=$(date +%s%N)
  i=0
  while [ $i -lt "$runs" ]; do "$@" >/dev/null 2>&1; i=$((i + 1)); done
  end=$(date +%s%N)
  echo "$(( (end - start) / runs / 1000 )) us"
}
echo "/bin/true:                      $(time_runs /bin/true)"
echo "calvane-sim --version:          $(time_runs "$sim" --version)"
echo "calvane-sim nacl.cry (one phase): $(time_runs "$sim" examples/nacl.cry --reflections "$out/r.csv" --overwrite)"
