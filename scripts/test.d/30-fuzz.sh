#!/usr/bin/env bash
# Fuzzes the parsers of outside data (lyric text, Lyrics3 blocks) for a short fixed time each: libFuzzer
# targets built with clang, AddressSanitizer and UndefinedBehaviorSanitizer in build-fuzz. A finding fails
# the step and leaves the input that caused it in build-fuzz/fuzz-run/<target>/.
set -euo pipefail
cd "$(dirname "$0")/../.."

seconds="${CANTREL_FUZZ_SECONDS:-20}"

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCANTREL_FUZZ=ON -DCANTREL_SANITIZE=ON -DCANTREL_BENCH=OFF
cmake --build build-fuzz --target fuzz_parse_text fuzz_lyrics3

for target in parse_text lyrics3; do
  run="build-fuzz/fuzz-run/$target"
  rm -rf "$run"
  mkdir -p "$run/corpus"
  cp fuzz/corpus/"$target"/* "$run/corpus/"
  echo "== fuzz_$target for ${seconds}s"
  status=0
  "build-fuzz/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$run/" "$run/corpus" >"$run/log" 2>&1 || status=$?
  tail -n 12 "$run/log"
  if [ "$status" -ne 0 ]; then
    echo "fuzz_$target failed (exit $status); inputs in $run/"
    exit "$status"
  fi
done
