#!/usr/bin/env bash
# Builds the fuzz preset and runs every fuzz target under fuzz/ for a bounded
# time with its seed corpus. Fails when a target finds a crash, a sanitizer
# report or a broken invariant (the input is left in build/fuzz/artifacts/).
set -euo pipefail
cd "$(dirname "$0")/../.."

# Seconds per target; a target not listed gets the default.
declare -A SECONDS_FOR=([reader]=60)
DEFAULT_SECONDS=60

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

artifacts=build/fuzz/artifacts
mkdir -p "$artifacts"
for corpus in fuzz/corpus/*/; do
  name=$(basename "$corpus")
  target=build/fuzz/fuzz/${name}_fuzz
  [[ -x $target ]] || { echo "no fuzz target for corpus $name" >&2; exit 1; }
  seconds=${SECONDS_FOR[$name]:-$DEFAULT_SECONDS}
  # New inputs go to a scratch corpus, so the seeds in the repository stay as they are.
  scratch=build/fuzz/corpus/$name
  mkdir -p "$scratch"
  echo "fuzzing $name for ${seconds}s"
  "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$artifacts/$name-" "$scratch" "$corpus"
done
echo "fuzz: no crash found"
