#!/usr/bin/env bash
# Kills bdf2kvn at random moments while it replaces an existing KVN file, and
# checks that the file is always either the complete old one or the complete
# new one, and that SIGINT and SIGTERM leave no temporary file behind.
#
# Each run puts a copy of the old KVN file in place, starts
#   bdf2kvn -o out/font.kvn new.bdf
# (a 24 MB font from bench/gen_font.py), waits a random time within one
# conversion's duration and sends SIGINT, SIGTERM or SIGKILL (in turn). The
# output is then compared (cmp) with both reference files, and the directory
# is listed. A temporary file left by SIGKILL is reported and removed; one left
# by SIGINT or SIGTERM is a failure. Once, bdf2kvn runs under strace to show
# that the temporary file is fsync'd before it is renamed over the output and
# the directory is fsync'd after.
#
# Usage: scripts/kill-test.sh [RUNS]   (default 100; also KILL_RUNS)
# Environment: BUILD_DIR (default build-bench), KILL_SEED (the random seed),
#   KILL_KEEP=1 keeps the temporary directory.
# Needs: cmake, ninja, g++, python3, strace; `scripts/install-deps.sh bench`.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-${KILL_RUNS:-100}}
build_dir=${BUILD_DIR:-$root/build-bench}
seed=${KILL_SEED:-$(( $(date +%s) % 32768 ))}
case "$runs" in '' | *[!0-9]* | 0) echo "usage: $0 [RUNS>=1]" >&2; exit 2 ;; esac
case "$seed" in '' | *[!0-9]*) echo "kill-test: KILL_SEED must be a number" >&2; exit 2 ;; esac

for tool in python3 cmake strace; do
  command -v "$tool" >/dev/null 2>&1 || {
    echo "kill-test: $tool not found; run scripts/install-deps.sh bench" >&2
    exit 1
  }
done

if [ ! -f "$build_dir/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DKELVANE_BUILD_UI=OFF -DKELVANE_BUILD_TESTS=OFF >/dev/null
fi
cmake --build "$build_dir" --target bdf2kvn >/dev/null
bdf2kvn=$build_dir/cli/bdf2kvn

work=$(mktemp -d "${TMPDIR:-/tmp}/kelvane-kill.XXXXXX")
if [ "${KILL_KEEP:-0}" = 1 ]; then
  echo "kill-test: keeping $work"
else
  trap 'rm -rf "$work"' EXIT
fi

fail() {
  echo "kill-test: $*" >&2
  exit 1
}

# The new font (what every run converts) and a different, smaller old one; the
# reference KVN files are converted from them once, undisturbed.
python3 "$root/bench/gen_font.py" "$work/new.bdf"
python3 "$root/bench/gen_font.py" "$work/old.bdf" --glyphs 40000 --seed 7
mkdir "$work/ref" "$work/out"
"$bdf2kvn" -o "$work/ref/new.kvn" "$work/new.bdf"
"$bdf2kvn" -o "$work/ref/old.kvn" "$work/old.bdf"
cmp -s "$work/ref/old.kvn" "$work/ref/new.kvn" && fail "the old and new reference files are equal"
out=$work/out/font.kvn

# A descriptor that never becomes readable: `read -t` on it sleeps for a
# fraction of a second without starting a process.
exec {idle}<> <(:)
pause_us() {
  local us=$1
  read -r -t "$((us / 1000000)).$(printf '%06d' $((us % 1000000)))" -u "$idle" _ || true
}

# Starts one conversion over a fresh copy of the old file; sets pid. Without
# job control a shell starts background commands with SIGINT ignored, and an
# ignored SIGINT stays ignored in bdf2kvn, so job control is on for the start.
start_conversion() {
  cp "$work/ref/old.kvn" "$out"
  set -m
  "$bdf2kvn" -o "$out" "$work/new.bdf" >/dev/null 2>"$work/stderr.txt" &
  pid=$!
  set +m
}
# Waits for the conversion; sets status (128 + N when signal N ended it). The
# shell's note on a job ended by a signal goes to /dev/null.
finish_conversion() {
  { wait "$pid"; status=$?; } 2>/dev/null || true
}

# One conversion's duration, started and waited for the same way (median of 5).
: >"$work/durations.txt"
for ((i = 0; i < 5; i++)); do
  t0=${EPOCHREALTIME/[.,]/}
  start_conversion
  finish_conversion
  t1=${EPOCHREALTIME/[.,]/}
  [ "$status" -eq 0 ] || { cat "$work/stderr.txt" >&2; fail "conversion failed (exit $status)"; }
  cmp -s "$out" "$work/ref/new.kvn" || fail "an undisturbed conversion wrote other bytes"
  echo "$((t1 - t0))" >>"$work/durations.txt"
done
duration=$(sort -n "$work/durations.txt" | sed -n 3p)
echo "kill-test: one conversion takes $((duration / 1000)) ms (median of 5); seed $seed"

RANDOM=$seed
signals=(INT TERM KILL)
declare -A signal_number=([INT]=2 [TERM]=15 [KILL]=9)
declare -A killed=([INT]=0 [TERM]=0 [KILL]=0) finished=([INT]=0 [TERM]=0 [KILL]=0)
old=0 new=0 torn=0 left=0 left_after_kill=0 failures=0

for ((run = 0; run < runs; run++)); do
  sig=${signals[run % 3]}
  delay=$(( ((RANDOM << 15) | RANDOM) % duration ))
  start_conversion
  pause_us "$delay"
  kill -s "$sig" "$pid" 2>/dev/null || true
  finish_conversion

  problem=""
  if [ "$status" -eq 0 ]; then
    finished[$sig]=$((finished[$sig] + 1))
  elif [ "$status" -eq $((128 + signal_number[$sig])) ]; then
    killed[$sig]=$((killed[$sig] + 1))
  else
    problem="exit status $status: $(head -c 300 "$work/stderr.txt")"
  fi

  if [ -f "$out" ] && cmp -s "$out" "$work/ref/new.kvn"; then
    new=$((new + 1))
    result=new
  elif [ -f "$out" ] && cmp -s "$out" "$work/ref/old.kvn"; then
    old=$((old + 1))
    result=old
    [ "$status" -eq 0 ] && problem="${problem:+$problem; }exit status 0 but the old file is in place"
  else
    torn=$((torn + 1))
    result=torn
    problem="${problem:+$problem; }output is neither the old nor the new file ($(stat -c %s "$out" 2>/dev/null || echo missing) bytes)"
  fi

  extra=$(find "$work/out" -mindepth 1 -maxdepth 1 ! -name font.kvn -printf '%f ')
  if [ -n "$extra" ]; then
    if [ "$sig" = KILL ]; then
      left_after_kill=$((left_after_kill + 1))
      echo "kill-test: run $((run + 1)): SIGKILL after $((delay / 1000)) ms left ${extra% } (expected; removed)"
    else
      left=$((left + 1))
      problem="${problem:+$problem; }SIG$sig left ${extra% }"
    fi
    find "$work/out" -mindepth 1 -maxdepth 1 ! -name font.kvn -delete
  fi

  if [ -n "$problem" ]; then
    failures=$((failures + 1))
    echo "kill-test: run $((run + 1)): FAILED: SIG$sig after $((delay / 1000)) ms, output $result: $problem" >&2
  fi
done

echo "kill-test: by signal (ended by it / finished first): SIGINT ${killed[INT]}/${finished[INT]}," \
  "SIGTERM ${killed[TERM]}/${finished[TERM]}, SIGKILL ${killed[KILL]}/${finished[KILL]};" \
  "$left_after_kill temporaries left by SIGKILL (removed)"

# The order of the system calls: writes, fsync of the temporary file, rename
# over the output, fsync of the directory.
cp "$work/ref/old.kvn" "$out"
(cd "$work" && strace -f -o "$work/strace.txt" \
  -e trace=openat,write,fsync,fdatasync,rename,renameat,renameat2 \
  "$bdf2kvn" -o out/font.kvn new.bdf)
cmp -s "$out" "$work/ref/new.kvn" || fail "the conversion under strace wrote other bytes"
sed -E 's/^[0-9]+ +//' "$work/strace.txt" >"$work/calls.txt"
echo "kill-test: strace -f -e trace=openat,write,fsync,fdatasync,rename,renameat,renameat2" \
  "bdf2kvn -o out/font.kvn new.bdf (relevant lines, numbered):"
if ! awk '
  function fd_of(line) { sub(/^[a-z0-9]+\(/, "", line); sub(/[,)].*/, "", line); return line }
  function result_of(line) { sub(/.* = /, "", line); sub(/ .*/, "", line); return line }
  function show(n) { printf "  %4d  %s\n", n, line[n] }
  { line[NR] = $0 }
  /^openat\(/ && /O_DIRECTORY/ && result_of($0) ~ /^[0-9]+$/ { dir = result_of($0); dirLine = NR }
  /^openat\(/ && /O_CREAT/ && /\.tmp"/ && tmp == "" {
    tmp = result_of($0); tmpLine = NR
    name = $0; sub(/^[^"]*"/, "", name); sub(/".*/, "", name)
    if (fd_of($0) != dir) bad = bad "\n  the temporary file was not opened in the output directory"
  }
  tmp != "" && /^write\(/ && fd_of($0) == tmp && !renameLine {
    writes++; if (!firstWrite) firstWrite = NR; lastWrite = NR
    if (syncLine && !lateWrite) {
      lateWrite = NR; bad = bad "\n  a write to the temporary file after its fsync (line " NR ")"
    }
  }
  tmp != "" && /^f(data)?sync\(/ && fd_of($0) == tmp && !renameLine && result_of($0) == "0" { syncLine = NR }
  /^rename(at2?)?\(/ && name != "" && index($0, "\"" name "\"") && /font\.kvn/ {
    renameLine = NR
    if (result_of($0) != "0") bad = bad "\n  the rename failed"
  }
  renameLine && NR > renameLine && /^f(data)?sync\(/ && fd_of($0) == dir && result_of($0) == "0" && !dirSyncLine { dirSyncLine = NR }
  END {
    if (dirLine) show(dirLine)
    if (tmpLine) show(tmpLine)
    if (firstWrite) show(firstWrite)
    if (writes > 2) printf "        ... %d writes to descriptor %s in all ...\n", writes, tmp
    if (lastWrite && lastWrite != firstWrite) show(lastWrite)
    if (syncLine) show(syncLine)
    if (renameLine) show(renameLine)
    if (dirSyncLine) show(dirSyncLine)
    if (!tmpLine) bad = bad "\n  no temporary file was created"
    if (!writes) bad = bad "\n  no write to the temporary file was seen"
    if (!syncLine) bad = bad "\n  the temporary file was not fsync'\''d before the rename"
    if (!renameLine) bad = bad "\n  no rename onto font.kvn was seen"
    if (!dirSyncLine) bad = bad "\n  the directory was not fsync'\''d after the rename"
    if (bad != "") { printf "kill-test: FAILED: wrong order of calls:%s\n", bad; exit 1 }
    printf "kill-test: order ok: writes (lines %d-%d), fsync of the file (%d), rename (%d), fsync of the directory (%d)\n", \
      firstWrite, lastWrite, syncLine, renameLine, dirSyncLine
  }' "$work/calls.txt"; then
  failures=$((failures + 1))
fi

echo "kill-test: $runs runs, $old old, $new new, $torn torn, $left temporaries left"
if [ "$failures" -ne 0 ]; then
  echo "kill-test: $failures failures" >&2
  exit 1
fi
