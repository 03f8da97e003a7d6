#!/usr/bin/env bash
# Builds the fuzz preset and runs every fuzz target under fuzz/ for a bounded
# time with its seed corpus. Fails when a target finds a crash, a sanitizer
# report or a broken invariant (the input is left in build/fuzz/artifacts/).
#
#   tests/suites/fuzz.sh [SECONDS [TARGET...]]
#     seconds per target (default 60); every target unless some are named
#   FUZZ_RUNS=N tests/suites/fuzz.sh SECONDS TARGET...
#     a campaign: each target stops after N executions, or after SECONDS
set -euo pipefail
cd "$(dirname "$0")/../.."

# Seconds per target; a target not listed gets the default.
DEFAULT_SECONDS=${1:-60}
declare -A SECONDS_FOR=()
# libFuzzer options of a target. The store and profile targets write and read
# a real file several times a run, at a cost that grows faster than the file:
# inputs of up to 1 KB keep them above 1,000 runs a second, and larger ones
# reached no further code.
declare -A OPTIONS_FOR=([regstore]=-max_len=1024 [profile]=-max_len=1024)
shift $(($# > 0 ? 1 : 0))
only=("$@")
runs_limit=()
[[ -n ${FUZZ_RUNS:-} ]] && runs_limit=(-runs="$FUZZ_RUNS")

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

# Each target runs on a host machine of its own (registry store, drive C:),
# in memory where /dev/shm exists: the profile functions sync every write,
# which on a disk would take most of a run's time.
machines=$(mktemp -d /dev/shm/setup-fuzz.XXXXXX 2>/dev/null || mktemp -d)
trap 'rm -rf "$machines"' EXIT
# A smaller quarantine, no fill of new blocks and shorter allocation stacks:
# the same checks, more runs a second.
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=16:max_malloc_fill_size=0:malloc_context_size=8}

artifacts=build/fuzz/artifacts
mkdir -p "$artifacts"
summary=()
for corpus in fuzz/corpus/*/; do
  name=$(basename "$corpus")
  if ((${#only[@]})) && [[ " ${only[*]} " != *" $name "* ]]; then continue; fi
  target=build/fuzz/fuzz/${name}_fuzz
  [[ -x $target ]] || { echo "no fuzz target for corpus $name" >&2; exit 1; }
  seconds=${SECONDS_FOR[$name]:-$DEFAULT_SECONDS}
  # New inputs go to a scratch corpus, so the seeds in the repository stay as they are.
  scratch=build/fuzz/corpus/$name
  mkdir -p "$scratch" "$machines/$name"
  echo "fuzzing $name for ${seconds}s"
  log=${FUZZ_LOG_DIR:-build/fuzz}/$name.log
  read -ra options <<<"${OPTIONS_FOR[$name]:-}"
  if ! HOSTWIN_PREFIX=$machines/$name "$target" -max_total_time="$seconds" "${runs_limit[@]}" "${options[@]}" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$artifacts/$name-" "$scratch" "$corpus" >"$log" 2>&1; then
    tail -n 60 "$log" >&2
    echo "fuzz: $name failed; the input is in $artifacts/" >&2
    exit 1
  fi
  runs=$(awk '/stat::number_of_executed_units/ {print $2}' "$log")
  rate=$(awk '/stat::average_exec_per_sec/ {print $2}' "$log")
  inputs=$(find "$scratch" -type f | wc -l)
  summary+=("$(printf '%-9s %4ss %10s runs %6s/s %6s inputs in the corpus' "$name" "$seconds" "$runs" "$rate" "$inputs")")
done
printf '%s\n' "${summary[@]}"
echo "fuzz: no crash found"
