#!/usr/bin/env bash
# Times whole batch runs against the floor that copying and the exchange
# steps set, on three file systems, the exchange program on a large program
# against cp, and the fold check against grep -c. Every figure is the
# median of PAIRS paired runs (default 5) in alternating order; a ratio is
# taken within each pair.
#
#   bench/run.sh                  every case
#   bench/run.sh nested:1000 flat:20000 deep:500 starts replace exchange foldcheck
#   FS="tmpfs ext4" bench/run.sh nested:1000
#
# A whole-run case is SHAPE:N, SHAPE one of nested (ten files a folder),
# flat (all in one folder) and deep (one file a folder, each folder in the
# one before). Each runs on every file system FS names (default all
# three): tmpfs (mounted for the run), disk (the build folder's own) and
# ext4 (a journaled image made, mounted through a loop device and removed
# at the end). A file system that cannot be mounted (not root, no loop
# device) is skipped with the reason. backup:N times a run with its backup
# against one with --no-backup on a new installation that holds none of
# the N user files; rebackup:N the same on one that holds them all already
# (a second run, which replaces every file and so keeps each one). starts
# times one start of the exchange program and of programs that do nothing,
# linked with each libc; replace one replace of a small file, made the ways
# a writer can. exchange and replace also run on each file system; backup,
# rebackup, starts and foldcheck run on the build folder's disk.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
# BUILD names a build folder made already; by default the preset builds one.
if [ -z "${BUILD:-}" ]; then
  cmake --preset default >/dev/null
  cmake --build --preset default >/dev/null
fi
build=$(cd "${BUILD:-$top/build}" && pwd)
tools="$build/tools"
bin="$build/bin"
pairs=${PAIRS:-5}
filesystems=(${FS:-tmpfs disk ext4})
cases=("$@")
[ "${#cases[@]}" -gt 0 ] ||
  cases=(nested:1000 nested:10000 nested:50000 flat:10000 flat:20000 deep:250 deep:500 starts replace
    exchange foldcheck backup:10000 rebackup:10000)
# The folder a case works in; each file system has its own.
disk_work="$build/bench"
work="$disk_work"

now() { date +%s.%N; }
# Seconds that "$@" takes; its peak memory (kB) and processor times go to
# $work/rss, its exit code to $work/status.
timed() {
  local start end code=0
  start=$(now)
  /usr/bin/time -f '%M %U %S' -o "$work/rss" "$@" >/dev/null 2>"$work/stderr" || code=$?
  end=$(now)
  echo "$code" >"$work/status"
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }'
}
median() { sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else printf "%.3f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'; }
# The processor time (user and system, children included) of the last
# timed command: what the disk's waits for fsync leave out.
cpu_seconds() { tail -n 1 "$work/rss" | awk '{ printf "%.2f", $2 + $3 }'; }
load() { cut -d' ' -f1-3 /proc/loadavg; }

# The file systems: tmpfs and the ext4 image are mounted here and undone
# at the end, also when a case fails.
mounts="$build/bench-mounts"
image="$build/bench-ext4.img"
cleanup() {
  local fs
  for fs in tmpfs ext4; do
    mountpoint -q "$mounts/$fs" && umount "$mounts/$fs"
  done
  rm -rf "$mounts" "$image" "$disk_work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM
# The folder a file system's cases work in; empty, with the reason on
# standard error, where it cannot be had.
mount_fs() {
  local fs=$1 error
  if [ "$fs" = disk ]; then
    echo "$disk_work"
    return
  fi
  if [ "$(id -u)" != 0 ]; then
    echo "$fs: skipped, mounting needs root" >&2
    return
  fi
  mkdir -p "$mounts/$fs"
  if ! mountpoint -q "$mounts/$fs"; then
    case "$fs" in
      tmpfs) error=$(mount -t tmpfs -o size=8g tmpfs "$mounts/$fs" 2>&1) ;;
      ext4)
        # Sparse: the image takes only what the file system writes.
        error=$(truncate -s 16G "$image" 2>&1 && mkfs.ext4 -q -F "$image" 2>&1 &&
          mount -o loop "$image" "$mounts/$fs" 2>&1) ;;
      *) error="no such file system" ;;
    esac || {
      echo "$fs: skipped, cannot mount: $(echo "$error" | tr '\n' ' ')" >&2
      return
    }
  fi
  echo "$mounts/$fs/bench"
}

old_tree() { echo "$work/c/QVD_OLDINST"; }
new_root() { echo "$work/c/QVD/ROBOTER"; }

# The new installation as it was made, before a run.
fresh_new() {
  rm -rf "$(new_root)"
  cp -a "$work/pristine" "$(new_root)"
  sync
}

# One batch run on a fresh copy of the new installation; arguments go
# before the paths.
whole_run() {
  fresh_new
  timed "$bin/vantrel" "$@" 'C:\QVD_OLDINST\QVD\R1|C:\QVD\ROBOTER\QVD\R1'
}

# The floor's step program: the same source linked with static glibc and,
# where musl-gcc is there, with static musl; the cheaper start is taken.
step_program=""
choose_step_program() {
  [ -n "$step_program" ] && return
  mkdir -p "$work"
  cc -x c -std=c11 -O2 -static -o "$tools/floor_step.glibc" "$top/bench/floor_step.cpp"
  step_program="$tools/floor_step.glibc"
  if ! command -v musl-gcc >/dev/null; then
    echo "floor step: static glibc (musl-gcc not found)"
    return
  fi
  musl-gcc -x c -std=c11 -O2 -static -o "$tools/floor_step.musl" "$top/bench/floor_step.cpp"
  local glibc=() musl=() i
  for ((i = 0; i < 3; i++)); do
    glibc+=("$(timed "$tools/spawn_floor" 2000 "$tools/floor_step.glibc")")
    musl+=("$(timed "$tools/spawn_floor" 2000 "$tools/floor_step.musl")")
  done
  local g m
  g=$(printf '%s\n' "${glibc[@]}" | median)
  m=$(printf '%s\n' "${musl[@]}" | median)
  awk -v g="$g" -v m="$m" 'BEGIN { printf "floor step, one start: static glibc %.3f ms, static musl %.3f ms; ", g / 2, m / 2 }'
  if awk -v g="$g" -v m="$m" 'BEGIN { exit !(m < g) }'; then
    step_program="$tools/floor_step.musl"
    echo "the floor takes musl"
  else
    echo "the floor takes glibc"
  fi
}

# The steps of the run, recorded from an untimed run (which also warms the
# caches): each start of the exchange program with its argument text.
record_steps() {
  fresh_new
  strace -f -qq --seccomp-bpf -e trace=execve -e signal=none -s 65536 -o "$work/execve" \
    "$bin/vantrel" 'C:\QVD_OLDINST\QVD\R1|C:\QVD\ROBOTER\QVD\R1' >/dev/null 2>&1 || true
  perl "$top/bench/steps.pl" "$work/execve" Foldex.exe >"$work/steps"
  rm -f "$work/execve"
  local logged
  logged=$(grep -c '^\. +++ Start:' "$(new_root)/LOG/Vantrel.log" || true)
  [ "$logged" = "$(wc -l <"$work/steps")" ] ||
    echo "record: $(wc -l <"$work/steps") starts recorded, $logged logged" >&2
}

# What the run cannot do without: a copy of the old installation into the
# new one, and each exchange step of the run in its order, started as the
# platform layer starts the exchange program, doing the least the step
# needs.
floor_run() {
  fresh_new
  local seconds
  seconds=$(timed bash -c "cp -a '$(old_tree)/QVD/R1/.' '$(new_root)/QVD/R1/' &&
    '$tools/spawn_floor' --steps '$work/steps' '$step_program'")
  if [ "$(cat "$work/status")" != 0 ]; then
    echo "floor: $(cat "$work/stderr")" >&2
    exit 1
  fi
  echo "$seconds"
}

whole_case() {
  local fs=$1 shape=${2%%:*} n=${2#*:}
  rm -rf "$work"
  mkdir -p "$work"
  "$tools/make_installation" "$work/c" "$n" "$shape"
  export VANTREL_DRIVE_C="$work/c"
  cp -a "$(new_root)" "$work/pristine"
  # The program folder goes along: the saves write their stores into its
  # control folder, which is then on the file system under test too.
  cp -a "$build/bin" "$work/bin"
  bin="$work/bin"
  record_steps
  local starts saves
  starts=$(wc -l <"$work/steps")
  saves=$(grep -c '^save' "$work/steps" || true)
  local runs=() floors=() ratios=() cpus=() peak=0 i run floor runCpu floorCpu
  for ((i = 0; i < pairs; i++)); do
    if ((i % 2 == 0)); then
      run=$(whole_run); rss=$(tail -n 1 "$work/rss" | cut -d' ' -f1); runCpu=$(cpu_seconds)
      floor=$(floor_run); floorCpu=$(cpu_seconds)
    else
      floor=$(floor_run); floorCpu=$(cpu_seconds)
      run=$(whole_run); rss=$(tail -n 1 "$work/rss" | cut -d' ' -f1); runCpu=$(cpu_seconds)
    fi
    ((rss > peak)) && peak=$rss
    runs+=("$run"); floors+=("$floor"); ratios+=("$(ratio "$run" "$floor")")
    cpus+=("$(ratio "$runCpu" "$floorCpu")")
  done
  printf '%-14s %-5s %6s %6s %5s %8s %8s %6s %6s %7s %8s  %s\n' "$2" "$fs" "$n" "$starts" "$saves" \
    "$(printf '%s\n' "${runs[@]}" | median)" "$(printf '%s\n' "${floors[@]}" | median)" \
    "$(printf '%s\n' "${ratios[@]}" | median)" "$(printf '%s\n' "${cpus[@]}" | median)" \
    "$(awk -v t="$(printf '%s\n' "${runs[@]}" | median)" -v n="$n" 'BEGIN { printf "%.2f", 1000 * t / n }')" \
    "$peak" "$(load)"
  bin="$build/bin"
  rm -rf "$work"
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
  local fs=$1
  rm -rf "$work"
  mkdir -p "$work"
  "$tools/make_installation" "$work/c" 1 nested
  export VANTREL_DRIVE_C="$work/c"
  local big="$work/big.src" ctl
  "$tools/make_installation" --exchange-file "$big" 100
  # The save writes its store into the control folder: into a copy, not
  # into the build's program folder, which the tests use.
  cp -a "$build/bin" "$work/bin"
  bin="$work/bin"
  ctl=$(printf '%s' "$bin/Vantrel" | tr / '\\')
  "$bin/Foldex.exe" "C:\\QVD\\ROBOTER\\Template\\Vorgabe.src| $ctl\\Vorgabe_Src_of.upg /TXT"
  local hostbig target
  hostbig=$(printf '%s' "$work/target.src" | tr / '\\')
  local runs=() cps=() ratios=() cpus=() syncs=() syncedRatios=() peak=0 i run copy synced rss cpu
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
    # Outside a run the exchange program syncs its target; cp does not.
    rm -f "$work/copy.src"
    synced=$(timed bash -c "cp '$big' '$work/copy.src' && sync '$work/copy.src'")
    runs+=("$run"); cps+=("$copy"); ratios+=("$(ratio "$run" "$copy")"); cpus+=("$cpu")
    syncs+=("$synced"); syncedRatios+=("$(ratio "$run" "$synced")")
  done
  cmp -s "$big" "$work/target.src" && echo "exchange: the target was not rewritten" >&2
  local size
  size=$(stat -c %s "$big")
  printf 'exchange on %d MB, %s (%d folds replaced): %s s (processor %s s); cp: %s s; ratio %s; cp and sync: %s s; ratio %s; peak %s kB (%s times the file); load %s\n' \
    $((size / 1000000)) "$fs" "$(grep -c '^;FOLD PTP HOME' "$big")" \
    "$(printf '%s\n' "${runs[@]}" | median)" "$(printf '%s\n' "${cpus[@]}" | median)" \
    "$(printf '%s\n' "${cps[@]}" | median)" \
    "$(printf '%s\n' "${ratios[@]}" | median)" \
    "$(printf '%s\n' "${syncs[@]}" | median)" "$(printf '%s\n' "${syncedRatios[@]}" | median)" "$peak" "$(ratio "$peak" $((size / 1024)))" "$(load)"
  rm -rf "$work"
  bin="$build/bin"
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

# One start of each program, as the platform layer starts the exchange
# program: a C++ program that does nothing, linked as Foldex.exe is; the
# same in C with static glibc and with static musl; the floor's step
# program with either; and Foldex.exe itself, told a command line of none
# of its forms (it reads nothing and ends with 2). Processor time is the
# user and system time of the starts, the driver's included.
starts_case() {
  rm -rf "$work"
  mkdir -p "$work"
  local count=2000 name program
  cc -x c -std=c11 -O2 -static -o "$tools/noop.c-glibc" "$top/bench/noop.cpp"
  local programs=("noop, C++, as Foldex.exe:$tools/noop" "noop, C, static glibc:$tools/noop.c-glibc")
  if command -v musl-gcc >/dev/null; then
    musl-gcc -x c -std=c11 -O2 -static -o "$tools/noop.c-musl" "$top/bench/noop.cpp"
    programs+=("noop, C, static musl:$tools/noop.c-musl")
  fi
  [ -x "$tools/floor_step.glibc" ] && programs+=("floor_step, static glibc:$tools/floor_step.glibc")
  [ -x "$tools/floor_step.musl" ] && programs+=("floor_step, static musl:$tools/floor_step.musl")
  programs+=("Foldex.exe, refused command line:$bin/Foldex.exe")
  for entry in "${programs[@]}"; do
    name=${entry%%:*} program=${entry#*:}
    local walls=() cpus=() i
    for ((i = 0; i < pairs; i++)); do
      walls+=("$(timed "$tools/spawn_floor" "$count" "$program")"); cpus+=("$(cpu_seconds)")
    done
    printf 'start of %-32s %7.3f ms, processor %7.3f ms; load %s\n' "$name:" \
      "$(awk -v t="$(printf '%s\n' "${walls[@]}" | median)" -v n="$count" 'BEGIN { print 1000 * t / n }')" \
      "$(awk -v t="$(printf '%s\n' "${cpus[@]}" | median)" -v n="$count" 'BEGIN { print 1000 * t / n }')" \
      "$(load)"
  done
  rm -rf "$work"
}

# One replace of a small file, with a temporary file without a name and
# with one made by name, each without and with the syncs.
replace_case() {
  local fs=$1
  rm -rf "$work"
  mkdir -p "$work"
  cc -O2 -o "$tools/replace_cost" "$top/bench/replace_cost.c"
  echo "replace of a 2500-byte file, $fs (load $(load)):"
  "$tools/replace_cost" "$work" 20000 | sed 's/^/  /'
  rm -rf "$work"
}

echo "pairs: $pairs; $(nproc) cores; $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
# The file systems the whole runs take, each with its folder.
declare -A folders
for fs in "${filesystems[@]}"; do
  folder=$(mount_fs "$fs")
  [ -n "$folder" ] && folders[$fs]=$folder
  [ -n "$folder" ] && echo "$fs: $(df -T "$(dirname "$folder")" | awk 'NR == 2 { print $2 " on " $1 }')"
done
work=$disk_work
mkdir -p "$work"
choose_step_program
printf '%-14s %-5s %6s %6s %5s %8s %8s %6s %6s %7s %8s  %s\n' case fs files starts saves run_s \
  floor_s ratio cpu_r ms/file peak_kB load
for c in "${cases[@]}"; do
  work=$disk_work
  case "$c" in
    starts) starts_case ;;
    foldcheck) foldcheck_case ;;
    backup:* | rebackup:*) backup_case "$c" ;;
    *)
      for fs in "${filesystems[@]}"; do
        [ -n "${folders[$fs]:-}" ] || continue
        work=${folders[$fs]}
        case "$c" in
          exchange) exchange_case "$fs" ;;
          replace) replace_case "$fs" ;;
          *) whole_case "$fs" "$c" ;;
        esac
      done
      ;;
  esac
done
