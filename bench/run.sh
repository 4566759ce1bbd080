#!/usr/bin/env bash
# Times a whole batch run on a synthetic installation of N user files beside
# the floor that copying and process starts set, and the fold check beside
# grep. Usage: bench/run.sh [N ...]   (default: 100 1000 10000)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
cmake --preset default >/dev/null
cmake --build --preset default >/dev/null
work="$top/build/bench"
sizes=("$@")
[ "${#sizes[@]}" -gt 0 ] || sizes=(100 1000 10000)

seconds() { local start=$1 end=$2; awk -v a="$start" -v b="$end" 'BEGIN { printf "%.2f", b - a }'; }
now() { date +%s.%N; }

printf '%8s %10s %10s %10s %10s %8s %12s\n' N run_s cp_s starts_s floor_s ratio max_rss_kB
for n in "${sizes[@]}"; do
  rm -rf "$work"
  mkdir -p "$work"
  build/tools/make_installation "$work/c" "$n"
  export VANTREL_DRIVE_C="$work/c"

  t0=$(now)
  cp -a "$work/c/QVD_OLDINST" "$work/copy"
  t1=$(now)
  for ((i = 0; i < 2 * n; i++)); do /bin/true x; done
  t2=$(now)
  /usr/bin/time -f '%M' -o "$work/rss" build/bin/vantrel 'C:\QVD_OLDINST\QVD\R1|C:\QVD\ROBOTER\QVD\R1' 2>/dev/null || true
  t3=$(now)

  copy=$(seconds "$t0" "$t1")
  starts=$(seconds "$t1" "$t2")
  run=$(seconds "$t2" "$t3")
  floor=$(awk -v a="$copy" -v b="$starts" 'BEGIN { printf "%.2f", a + b }')
  ratio=$(awk -v r="$run" -v f="$floor" 'BEGIN { printf "%.2f", r / f }')
  printf '%8s %10s %10s %10s %10s %8s %12s\n' "$n" "$run" "$copy" "$starts" "$floor" "$ratio" "$(tail -n 1 "$work/rss")"
done

# The fold check alone on a 100 MB file beside grep -c on the same file.
big="$work/big.src"
rm -rf "$work"; mkdir -p "$work"
build/tools/make_installation --fold-file "$big" 100
# Both timed the same way, process start included, after one read to warm the
# cache. grep writes to a file: told of /dev/null it stops at the first match.
cat "$big" >/dev/null
t0=$(now); build/tools/fold_check "$big" >/dev/null; t1=$(now)
grep -c ';FOLD' "$big" >"$work/count"; t2=$(now)
mb=$(( $(stat -c %s "$big") / 1000000 ))
check=$(seconds "$t0" "$t1")
scan=$(seconds "$t1" "$t2")
echo
echo "fold check on $mb MB: $check s; grep -c: $scan s; ratio $(awk -v a="$check" -v b="$scan" 'BEGIN { printf "%.2f", a / b }')"
rm -rf "$work"
