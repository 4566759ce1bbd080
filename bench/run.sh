#!/usr/bin/env bash
# Times whole batch runs against the floor that copying and process starts
# set, the exchange program on a large program against cp, and the fold
# check against grep -c. Every figure is the median of PAIRS paired runs
# (default 5) in alternating order; a ratio is taken within each pair.
#
#   bench/run.sh                  every case
#   bench/run.sh nested:1000 flat:20000 deep:500 exchange foldcheck
#
# A whole-run case is SHAPE:N, SHAPE one of nested (ten files a folder),
# flat (all in one folder) and deep (one file a folder, each folder in the
# one before). backup:N times a run with its backup against one with
# --no-backup on a new installation that holds none of the N user files;
# rebackup:N the same on one that holds them all already (a second run,
# which replaces every file and so keeps each one).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
# BUILD names a build folder made already; by default the preset builds one.
if [ -z "${BUILD:-}" ]; then
  cmake --preset default >/dev/null
  cmake --build --preset default >/dev/null
fi
build=$(cd "${BUILD:-$top/build}" && pwd)
work="$build/bench"
tools="$build/tools"
bin="$build/bin"
pairs=${PAIRS:-5}
cases=("$@")
[ "${#cases[@]}" -gt 0 ] ||
  cases=(nested:1000 nested:10000 nested:50000 flat:10000 flat:20000 deep:250 deep:500 exchange foldcheck
    backup:10000 rebackup:10000)

now() { date +%s.%N; }
# Seconds that "$@" takes; its peak memory (kB) goes to $work/rss.
timed() {
  local start end
  start=$(now)
  /usr/bin/time -f '%M %U %S' -o "$work/rss" "$@" >/dev/null 2>&1 || true
  end=$(now)
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }'
}
median() { sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else printf "%.3f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'; }
# The processor time (user and system, children included) of the last
# timed command: what the disk's waits for fsync leave out.
cpu_seconds() { tail -n 1 "$work/rss" | awk '{ printf "%.2f", $2 + $3 }'; }
load() { cut -d' ' -f1-3 /proc/loadavg; }

old_tree() { echo "$work/c/QVD_OLDINST"; }
new_root() { echo "$work/c/QVD/ROBOTER"; }

# One batch run on a fresh copy of the new installation; arguments go
# before the paths.
whole_run() {
  rm -rf "$(new_root)"
  cp -a "$work/pristine" "$(new_root)"
  sync
  timed "$bin/vantrel" "$@" 'C:\QVD_OLDINST\QVD\R1|C:\QVD\ROBOTER\QVD\R1'
}

# What the run cannot do without: a copy of the old tree and as many
# process starts as the run made, each as the platform layer makes them.
floor_run() {
  rm -rf "$work/copy"
  sync
  timed bash -c "cp -a '$(old_tree)' '$work/copy' && '$tools/spawn_floor' $1 '$tools/noop'"
}

whole_case() {
  local shape=${1%%:*} n=${1#*:}
  rm -rf "$work"
  mkdir -p "$work"
  "$tools/make_installation" "$work/c" "$n" "$shape"
  export VANTREL_DRIVE_C="$work/c"
  cp -a "$(new_root)" "$work/pristine"
  # A first run, untimed, warms the caches and tells how many times a run
  # starts the exchange program: once for each step it logs the start of.
  whole_run >/dev/null
  local starts
  starts=$(grep -c '^\. +++ Start:' "$(new_root)/LOG/Vantrel.log")
  local runs=() floors=() ratios=() cpus=() peak=0 i run floor runCpu floorCpu
  for ((i = 0; i < pairs; i++)); do
    if ((i % 2 == 0)); then
      run=$(whole_run); rss=$(tail -n 1 "$work/rss" | cut -d' ' -f1); runCpu=$(cpu_seconds)
      floor=$(floor_run "$starts"); floorCpu=$(cpu_seconds)
    else
      floor=$(floor_run "$starts"); floorCpu=$(cpu_seconds)
      run=$(whole_run); rss=$(tail -n 1 "$work/rss" | cut -d' ' -f1); runCpu=$(cpu_seconds)
    fi
    ((rss > peak)) && peak=$rss
    runs+=("$run"); floors+=("$floor"); ratios+=("$(ratio "$run" "$floor")")
    cpus+=("$(ratio "$runCpu" "$floorCpu")")
  done
  printf '%-14s %8s %7s %9s %9s %8s %8s %9s %10s  %s\n' "$1" "$n" "$starts" \
    "$(printf '%s\n' "${runs[@]}" | median)" "$(printf '%s\n' "${floors[@]}" | median)" \
    "$(printf '%s\n' "${ratios[@]}" | median)" "$(printf '%s\n' "${cpus[@]}" | median)" \
    "$(awk -v t="$(printf '%s\n' "${runs[@]}" | median)" -v n="$n" 'BEGIN { printf "%.2f", 1000 * t / n }')" \
    "$peak" "$(load)"
}

# Runs with and without the backup, in pairs; with "rebackup" the new
# installation is the result of a first run.
backup_case() {
  local kind=${1%%:*} n=${1#*:}
  rm -rf "$work"
  mkdir -p "$work"
  "$tools/make_installation" "$work/c" "$n" nested
  export VANTREL_DRIVE_C="$work/c"
  cp -a "$(new_root)" "$work/pristine"
  if [ "$kind" = rebackup ]; then
    whole_run --no-backup >/dev/null
    rm -rf "$work/pristine" "$(new_root)/LOG"/*
    cp -a "$(new_root)" "$work/pristine"
  fi
  whole_run >/dev/null
  local kept
  kept=$(ls "$(new_root)"/LOG/Vantrel-backup-*/files | wc -l)
  local withs=() withouts=() ratios=() i with without
  for ((i = 0; i < pairs; i++)); do
    if ((i % 2 == 0)); then
      with=$(whole_run); without=$(whole_run --no-backup)
    else
      without=$(whole_run --no-backup); with=$(whole_run)
    fi
    withs+=("$with"); withouts+=("$without"); ratios+=("$(ratio "$with" "$without")")
  done
  printf '%s: %d user files, %d kept: with backup %s s, without %s s; ratio %s; load %s\n' \
    "$1" "$n" "$kept" "$(printf '%s\n' "${withs[@]}" | median)" \
    "$(printf '%s\n' "${withouts[@]}" | median)" "$(printf '%s\n' "${ratios[@]}" | median)" "$(load)"
}

# The template exchange on a 100 MB program, against cp of that program.
exchange_case() {
  rm -rf "$work"
  mkdir -p "$work"
  "$tools/make_installation" "$work/c" 1 nested
  export VANTREL_DRIVE_C="$work/c"
  local big="$work/big.src" ctl
  "$tools/make_installation" --exchange-file "$big" 100
  ctl=$(printf '%s' "$bin/Vantrel" | tr / '\\')
  "$bin/Foldex.exe" "C:\\QVD\\ROBOTER\\Template\\Vorgabe.src| $ctl\\Vorgabe_Src_of.upg /TXT"
  local hostbig target
  hostbig=$(printf '%s' "$work/target.src" | tr / '\\')
  local runs=() cps=() ratios=() cpus=() peak=0 i run copy rss cpu
  # The exchange program's own processor time, which a loaded machine
  # stretches in wall time more than cp's, whose work is the kernel's.
  cpu_of() {
    rss=$(tail -n 1 "$work/rss" | cut -d' ' -f1)
    cpu=$(tail -n 1 "$work/rss" | awk '{ printf "%.2f", $2 + $3 }')
  }
  for ((i = 0; i < pairs; i++)); do
    cp "$big" "$work/target.src"; rm -f "$work/copy.src"; sync
    if ((i % 2 == 0)); then
      run=$(timed "$bin/Foldex.exe" "$hostbig | $ctl\\Vorgabe_Src_nf.upg /TXT"); cpu_of
      copy=$(timed cp "$big" "$work/copy.src")
    else
      copy=$(timed cp "$big" "$work/copy.src")
      run=$(timed "$bin/Foldex.exe" "$hostbig | $ctl\\Vorgabe_Src_nf.upg /TXT"); cpu_of
    fi
    ((rss > peak)) && peak=$rss
    runs+=("$run"); cps+=("$copy"); ratios+=("$(ratio "$run" "$copy")"); cpus+=("$cpu")
  done
  cmp -s "$big" "$work/target.src" && echo "exchange: the target was not rewritten" >&2
  local size
  size=$(stat -c %s "$big")
  printf 'exchange on %d MB (%d folds replaced): %s s (processor %s s); cp: %s s; ratio %s; peak %s kB (%s times the file); load %s\n' \
    $((size / 1000000)) "$(grep -c '^;FOLD PTP HOME' "$big")" \
    "$(printf '%s\n' "${runs[@]}" | median)" "$(printf '%s\n' "${cpus[@]}" | median)" \
    "$(printf '%s\n' "${cps[@]}" | median)" \
    "$(printf '%s\n' "${ratios[@]}" | median)" "$peak" "$(ratio "$peak" $((size / 1024)))" "$(load)"
}

# The fold check alone on a 100 MB program, against grep -c on it.
foldcheck_case() {
  rm -rf "$work"
  mkdir -p "$work"
  local big="$work/big.src"
  "$tools/make_installation" --fold-file "$big" 100
  cat "$big" >/dev/null
  local runs=() greps=() ratios=() i run scan
  for ((i = 0; i < pairs; i++)); do
    # grep writes to a file: told of /dev/null it stops at the first match.
    if ((i % 2 == 0)); then
      run=$(timed "$tools/fold_check" "$big")
      scan=$(timed bash -c "grep -c ';FOLD' '$big' >'$work/count'")
    else
      scan=$(timed bash -c "grep -c ';FOLD' '$big' >'$work/count'")
      run=$(timed "$tools/fold_check" "$big")
    fi
    runs+=("$run"); greps+=("$scan"); ratios+=("$(ratio "$run" "$scan")")
  done
  printf 'fold check on %d MB: %s s; grep -c: %s s; ratio %s; load %s\n' \
    $(($(stat -c %s "$big") / 1000000)) "$(printf '%s\n' "${runs[@]}" | median)" \
    "$(printf '%s\n' "${greps[@]}" | median)" "$(printf '%s\n' "${ratios[@]}" | median)" "$(load)"
}

echo "pairs: $pairs; $(nproc) cores; $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
printf '%-14s %8s %7s %9s %9s %8s %8s %9s %10s  %s\n' case files starts run_s floor_s ratio cpu_ratio ms/file peak_kB load
for c in "${cases[@]}"; do
  case "$c" in
    exchange) exchange_case ;;
    foldcheck) foldcheck_case ;;
    backup:* | rebackup:*) backup_case "$c" ;;
    *) whole_case "$c" ;;
  esac
done
rm -rf "$work"
