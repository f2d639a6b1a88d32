#!/usr/bin/env bash
# Builds the fuzz harnesses (clang, the "fuzz" preset) and runs each for a bounded time.
#
#   scripts/fuzz.sh [SECONDS] [AREA...]     areas: container sprite dialog cli-info cli-check
#
# SECONDS defaults to 60. FUZZ_PARALLEL=2 runs two harnesses at a time. The corpus of
# each area grows in build/fuzz/corpus/AREA across runs (seeded from the builders and
# samples/); anything that breaks a harness lands in build/fuzz/artifacts/AREA. A summary
# line per harness (executions, coverage, corpus) ends the output; the exit status is
# non-zero when a harness found a fault.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
shift || true
areas=("$@")
[ ${#areas[@]} -eq 0 ] && areas=(container sprite dialog cli-info cli-check)
parallel=${FUZZ_PARALLEL:-1}

if [ -z "${FUZZ_NO_BUILD:-}" ]; then
  bash scripts/install-deps.sh
  cmake --preset fuzz >/dev/null
  cmake --build --preset fuzz -j "$(nproc)"
fi

root=build/fuzz
bin=$root/fuzz
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

run_one() {
  local area=$1 seeds corpus artifacts log max_len dict=()
  seeds=$bin/seeds/${area//-/_}
  corpus=$root/corpus/$area
  artifacts=$root/artifacts/$area
  log=$root/logs/$area.log
  mkdir -p "$corpus" "$artifacts" "$(dirname "$log")"
  case $area in
    sprite) max_len=65536 ;;
    *) max_len=16384; dict=(-dict=fuzz/iff.dict) ;;
  esac
  # The seeds go first, so that every run starts from at least what the builders make.
  "$bin/$area-fuzzer" "$corpus" "$seeds" "${dict[@]}" \
    -max_total_time="$seconds" -max_len="$max_len" -timeout=30 -rss_limit_mb=2048 \
    -artifact_prefix="$artifacts/" -print_final_stats=1 -close_fd_mask=1 \
    >"$log" 2>&1
}

summary() {
  local area=$1 log=$root/logs/$1.log status=$2 last execs rate edges
  last=$(grep -E '^#[0-9]+' "$log" | tail -1 || true)
  edges=$(sed -n 's/.*(\([0-9]*\) inline 8-bit counters).*/\1/p' "$log" | head -1)
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  field() { sed -nE "s/.* $1: ([0-9]+[^ ]*) .*/\\1/p" <<<"$last"; }
  printf '%-10s %-5s execs %s  exec/s %s  cov %s of %s edges  ft %s  corpus %s\n' "$area" \
    "$([ "$status" -eq 0 ] && echo ok || echo FAULT)" "${execs:-?}" "${rate:-?}" \
    "$(field cov)" "${edges:-?}" "$(field ft)" "$(field corp)"
}

declare -A status
running=()
for area in "${areas[@]}"; do
  [ -x "$bin/$area-fuzzer" ] || { echo "no harness $area" >&2; exit 2; }
  echo "fuzzing $area for ${seconds}s"
  run_one "$area" &
  running+=("$!:$area")
  if [ ${#running[@]} -ge "$parallel" ]; then
    entry=${running[0]}
    running=("${running[@]:1}")
    if wait "${entry%%:*}"; then status[${entry#*:}]=0; else status[${entry#*:}]=1; fi
  fi
done
for entry in "${running[@]}"; do
  if wait "${entry%%:*}"; then status[${entry#*:}]=0; else status[${entry#*:}]=1; fi
done

failed=0
for area in "${areas[@]}"; do
  summary "$area" "${status[$area]}"
  if [ "${status[$area]}" -ne 0 ]; then
    failed=1
    echo "--- $area: end of $root/logs/$area.log" >&2
    tail -40 "$root/logs/$area.log" >&2
  fi
done
exit $failed
