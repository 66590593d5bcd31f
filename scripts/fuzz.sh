#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, ASan and UBSan, on the simulated machine) and runs
# each for SECONDS (default 600), one after another. Prints, per target, how many inputs it ran
# and whether it found anything; exits 1 when any target did.
#
#   bash scripts/fuzz.sh [SECONDS] [TARGET...]      e.g. bash scripts/fuzz.sh 60 printers network
#
# Each target starts from its seeds in tests/fuzz/corpus/<target>/ (left as they are) plus what
# earlier runs kept in build/fuzz/corpus/<target>/. An input that crashes, hangs, leaks or breaks a
# checked property is saved in build/fuzz/findings/<target>/ and the full log in
# build/fuzz/logs/<target>.log; run the target on that file to see it again.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-600}
shift || true
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -eq 0 ]; then
  echo "usage: bash scripts/fuzz.sh [SECONDS] [TARGET...]" >&2
  exit 2
fi
all=(registry_probes registry_import network printers str_to_int float_format string_list glpi_inventory
  smbios edid glpi_answer)
targets=("$@")
[ "${#targets[@]}" -gt 0 ] || targets=("${all[@]}")

bash scripts/setup.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

bin=build/fuzz/tests/fuzz
found=0
clean=0
for target in "${targets[@]}"; do
  if [ ! -x "$bin/${target}_fuzzer" ]; then
    echo "fuzz: no target named $target (targets: ${all[*]})" >&2
    exit 2
  fi
  corpus=build/fuzz/corpus/$target
  findings=build/fuzz/findings/$target
  log=build/fuzz/logs/$target.log
  rm -rf "$findings"
  mkdir -p "$corpus" "$findings" "$(dirname "$log")"
  echo "fuzz: $target for ${seconds}s ..."
  status=0
  # -timeout: an input running longer than this is a hang, and a finding like a crash.
  "$bin/${target}_fuzzer" -max_total_time="$seconds" -timeout=60 -print_final_stats=1 \
    -artifact_prefix="$findings/" "$corpus" "tests/fuzz/corpus/$target" >"$log" 2>&1 || status=$?
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  saved=$(find "$findings" -type f | head -n 1)
  if [ "$status" -ne 0 ] || [ -n "$saved" ]; then
    found=1
    reason=$(grep -m 1 -E '^(FINDING|terminate called|==[0-9]+== ?ERROR|SUMMARY)' "$log" || true)
    echo "fuzz: $target: ${executions:-?} executions, FOUND: ${reason:-exit status $status}"
    [ -z "$saved" ] || echo "fuzz:   input: $saved"
    echo "fuzz:   log: $log"
  else
    echo "fuzz: $target: ${executions:-?} executions, nothing found"
    clean=$((clean + 1))
  fi
done
echo "fuzz: ${#targets[@]} targets, $clean found nothing, $((${#targets[@]} - clean)) found something"
exit "$found"
