#!/usr/bin/env bash
# Builds the Google Benchmark programs in the release preset and runs them. The figures are
# printed, never judged: a slow or busy machine does not fail the run. Options after the script's
# name go to every program (CI passes a short --benchmark_min_time to keep the run small).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/bootstrap.sh --tests
cmake --preset release >/dev/null
programs=(hub_benchmarks quinteldrv_benchmarks zousbdrv_benchmarks zousbsim_benchmarks)
cmake --build --preset release --target "${programs[@]}"
for program in "${programs[@]}"; do
    echo "== $program"
    "build/release/bin/$program" "$@"
done
