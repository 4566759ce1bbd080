#!/usr/bin/env bash
# Builds the fuzz targets with clang (coverage, address and undefined-
# behaviour sanitizers) in build-fuzz/ and runs each for SECONDS from its
# seed corpus. New inputs go to build-fuzz/corpus/<target>, findings to
# build-fuzz/findings/. Usage: fuzz/run.sh SECONDS [TARGET ...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:?usage: fuzz/run.sh SECONDS [TARGET ...]}
shift
targets=("$@")
if [ "${#targets[@]}" -eq 0 ]; then
  targets=(ini_file fold_check fold_pieces carg config_migration
           foldex_control foldex_command_line foldex_exchange)
fi

flags="-g -O1 -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all"
cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
  -DVANTREL_TESTS=OFF -DVANTREL_FUZZ=ON -DVANTREL_WERROR=ON >/dev/null
cmake --build build-fuzz -j2 --target fuzz_targets

mkdir -p build-fuzz/findings
status=0
for target in "${targets[@]}"; do
  work=build-fuzz/corpus/$target
  mkdir -p "$work"
  echo "== $target: $seconds s"
  code=0
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    "build-fuzz/fuzz/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="build-fuzz/findings/$target-" "$work" "fuzz/corpus/$target" \
    >"build-fuzz/$target.log" 2>&1 || code=$?
  grep -E '^(stat::number_of_executed_units|stat::peak_rss|#[0-9]+ *DONE|SUMMARY|invariant)' \
    "build-fuzz/$target.log" || true
  if [ "$code" -ne 0 ]; then
    echo "!! $target: finding, see build-fuzz/$target.log and build-fuzz/findings/"
    status=1
  fi
done
exit $status
