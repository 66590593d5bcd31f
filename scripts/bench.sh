#!/usr/bin/env bash
# Reruns every benchmark and prints the ratios the program is held to:
#   - how the probes and a whole run grow with the machine (Google Benchmark, simulated machine);
#   - a whole run under Wine against the floor program and against the equivalent wmic queries.
# Usage: scripts/bench.sh [RUNS]   (RUNS: whole runs under Wine per program, default 7)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
# shellcheck source=../tests/wine/host.sh
. tests/wine/host.sh
runs=${1:-7}

cmake --preset bench >/dev/null
cmake --build --preset bench --target probe_benchmarks
json=$(mktemp)
# Repetitions of every size interleaved at random, so that a slow spell of the machine falls on
# all sizes alike instead of inflating one of them.
build/bench/bench/probe_benchmarks --benchmark_repetitions=9 --benchmark_enable_random_interleaving=true \
  --benchmark_report_aggregates_only=true --benchmark_out="$json" --benchmark_out_format=json >/dev/null
python3 - "$json" <<'PYTHON'
import json
import sys
from collections import defaultdict

results = defaultdict(dict)
for run in json.load(open(sys.argv[1]))["benchmarks"]:
    if run.get("aggregate_name") != "median":
        continue
    name, size = run["run_name"].split("/")
    results[name][int(size)] = run["cpu_time"], run["time_unit"]
print("simulated machine, median CPU time of 9 interleaved repetitions, and growth from size to size:")
for name, sizes in results.items():
    ordered = sorted(sizes)
    cells = [f"{size}: {sizes[size][0]:.3g} {sizes[size][1]}" for size in ordered]
    growth = [f"x{sizes[b][0] / sizes[a][0]:.1f} ({a}->{b})" for a, b in zip(ordered, ordered[1:])]
    print(f"  {name:<18} " + ", ".join(cells) + "   growth " + ", ".join(growth))
PYTHON
rm -f "$json"

# Whole runs of the build this host runs (the i686 one, handed out, where it can), with the floor
# program built for the same architecture.
if wine_can_run windows; then
  preset=windows
else
  preset=windows-x64
  echo "bench: whole runs of the x86_64 build, since $INVENTARIO_WINE_WHY"
fi
cmake --preset "$preset" -DINVENTARIO_BENCHMARKS=ON >/dev/null
cmake --build --preset "$preset" --target inventario floor measure
prefix=build/bench/wineprefix-$preset
tests/wine/prefix.sh up "$prefix" >/dev/null
trap 'tests/wine/prefix.sh down "$prefix" >/dev/null' EXIT
python3 bench/wine_bench.py "build/$preset" "$prefix" "$runs"
