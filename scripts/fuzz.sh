#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan+UBSan) and runs each one for a
# bounded time over a scratch copy of its seed corpus.
#   scripts/fuzz.sh [SECONDS_PER_TARGET]
set -euo pipefail
cd "$(dirname "$0")/.."
secs=${1:-30}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKORVEL_GUI=OFF -DKORVEL_TESTS=OFF -DKORVEL_BENCH=OFF -DKORVEL_FUZZ=ON -DKORVEL_WERROR=ON >/dev/null
cmake --build build-fuzz -j"$(nproc)"
shopt -s nullglob
status=0
for bin in build-fuzz/bin/fuzz_*; do
  name=$(basename "$bin")
  work=$(mktemp -d)
  if [ -d "tests/fuzz/corpus/$name" ]; then cp -r "tests/fuzz/corpus/$name/." "$work/"; fi
  echo "== $name for ${secs}s"
  if ! "$bin" -max_total_time="$secs" -rss_limit_mb=2048 -print_final_stats=1 \
       -artifact_prefix="build-fuzz/$name-" "$work" 2>"build-fuzz/$name.log"; then
    tail -n 40 "build-fuzz/$name.log"; status=1
  fi
  grep -E '^stat::number_of_executed_units|^Done' "build-fuzz/$name.log" || true
  rm -rf "$work"
done
exit $status
