#!/usr/bin/env bash
# Boot benchmark, run on demand (not part of ./test):
#   bench/boot/run.sh [build dir]        (default: build)
#   cmake --build build --target bench_boot
# Packs an application shaped like the game's archive (a class whose main
# exits at once, ~435 incompressible files, ~1.26 MB) and times, alternating
# in one run, the whole process from start to exit of:
#   quillpod   the packed executable: launcher, workspace, VM, boot stage
#              unpacking, main, clean-up
#   java -cp   the same class run from an already unpacked copy
#   makeself   the same files in a Debian makeself archive, which extracts
#              with tar into a temporary directory, runs java -cp and removes it
# and prints medians and the ratios quillpod/makeself (goal: at most 0.7) and
# quillpod/java -cp. Then it times the boot stage's own unpacking (uncompress
# and writing the files) with 1 to 4 writer threads, in a cold and a warm VM.
# It also times tar extracting the same files and rm -rf removing them, the
# floor any unpacking pays on this file system. The runs use the file system
# of TMPDIR (e.g. TMPDIR=/dev/shm bench/boot/run.sh for tmpfs).
# Needs makeself (Debian package makeself) and a built tree.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=$(cd "${1:-build}" && pwd)
rounds=${ROUNDS:-15}
for f in quillpod-pack tools/pack/quillpod-stripped quillpodboot.class boot/classes/quillpodboot.class; do
  [ -e "$build/$f" ] || { echo "Missing $build/$f: build first (cmake --build ${1:-build})." >&2; exit 1; }
done
command -v makeself >/dev/null || {
  echo "makeself is not installed; install it with: apt-get install makeself" >&2
  exit 1
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
src=$(cd "$(dirname "$0")" && pwd)

# The application: BenchMain plus the game-shaped files.
mkdir -p "$work/app" "$work/harness" "$work/tmp"
cat >"$work/BenchMain.java" <<'JAVA'
public class BenchMain {
    public static void main(String[] args) {}
}
JAVA
javac --release 8 -d "$work/app" "$work/BenchMain.java"
javac --release 8 -Xlint:-options -cp "$build/boot/classes" -d "$work/harness" "$src/BootBench.java"
java -cp "$work/harness:$build/boot/classes" BootBench make "$work/app"
files=$(find "$work/app" -type f | wc -l)
bytes=$(find "$work/app" -type f -printf '%s\n' | awk '{s += $1} END {print s}')

"$build/quillpod-pack" --launcher "$build/tools/pack/quillpod-stripped" --boot "$build/quillpodboot.class" \
  -c main=BenchMain -o "$work/packed" "$work/app"
cat >"$work/app/start.sh" <<'SH'
#!/bin/sh
exec java -cp . BenchMain "$@"
SH
chmod +x "$work/app/start.sh"
makeself --quiet --nox11 "$work/app" "$work/app.run" "bench" ./start.sh >/dev/null
rm "$work/app/start.sh"
echo "Application: $files files, $bytes bytes; packed $(stat -c %s "$work/packed") bytes," \
  "makeself $(stat -c %s "$work/app.run") bytes; $rounds rounds each, alternating"

now() { date +%s%N; }
# time_ms <command...>: runs it with the private TMPDIR, prints milliseconds.
time_ms() {
  local t0 t1
  t0=$(now)
  TMPDIR="$work/tmp" "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; exit 1; }
  t1=$(now)
  echo $(((t1 - t0) / 1000))
}
median() { sort -n | awk '{a[NR]=$1} END {m=(NR%2)?a[(NR+1)/2]:(a[NR/2]+a[NR/2+1])/2; printf "%.1f", m/1000}'; }

: >"$work/q" ; : >"$work/j" ; : >"$work/m"
for i in $(seq 1 $((rounds + 2))); do
  q=$(time_ms "$work/packed")
  j=$(time_ms java -cp "$work/app" BenchMain)
  m=$(time_ms "$work/app.run" --quiet)
  [ "$i" -le 2 ] && continue  # warm the file cache first
  echo "$q" >>"$work/q"; echo "$j" >>"$work/j"; echo "$m" >>"$work/m"
done
[ -z "$(ls -A "$work/tmp")" ] || echo "warning: runs left files in TMPDIR: $(ls -A "$work/tmp")"
tar -C "$work/app" -cf "$work/app.tar" .
: >"$work/x" ; : >"$work/r" ; : >"$work/xt"
for i in $(seq 1 7); do
  x=$(time_ms tar -C "$work/tmp" -xf "$work/app.tar")
  r=$(time_ms rm -rf "$work/tmp/XmasGifs" "$work/tmp/XmasSounds" "$work/tmp/com" "$work/tmp/BenchMain.class")
  echo "$x" >>"$work/x"; echo "$r" >>"$work/r"
  # The same into a folder marked as the launcher marks its workspace.
  mkdir "$work/tmp/t"; chattr +T "$work/tmp/t" 2>/dev/null || true
  time_ms tar -C "$work/tmp/t" -xf "$work/app.tar" >>"$work/xt"
  rm -rf "$work/tmp/t"
done
Q=$(median <"$work/q"); J=$(median <"$work/j"); M=$(median <"$work/m")
echo
echo "Whole process, median ms:  quillpod $Q   java -cp $J   makeself $M"
echo "Floor on this file system: tar -x of the files $(median <"$work/x") ms" \
  "(into a folder marked +T: $(median <"$work/xt") ms), rm -rf $(median <"$work/r") ms"
awk -v q="$Q" -v j="$J" -v m="$M" 'BEGIN {
  printf "quillpod / makeself  = %.2f   (goal: at most 0.70)\n", q / m
  printf "quillpod / java -cp  = %.2f   (the cost of carrying the files inside one executable)\n", q / j
}'

echo
echo "Boot stage unpacking of the same archive, ms (cold = first round in a fresh VM, warm = median of 5 more rounds):"
echo "  writers  cold uncompress  cold write   warm uncompress  warm write"
for w in 1 2 4 8; do : >"$work/u$w"; done
for i in 1 2 3; do
  for w in 1 2 4 8; do
    java -cp "$work/harness:$build/boot/classes" BootBench unpack "$work/packed" "$w" "$work/tmp" >>"$work/u$w"
    rm -rf "$(tail -1 "$work/u$w" | cut -d' ' -f6)"
  done
done
for w in 1 2 4 8; do
  printf "  %7d  %15s  %10s   %15s  %10s\n" "$w" \
    "$(cut -d' ' -f2 "$work/u$w" | sort -n | sed -n 2p)" "$(cut -d' ' -f3 "$work/u$w" | sort -n | sed -n 2p)" \
    "$(cut -d' ' -f4 "$work/u$w" | sort -n | sed -n 2p)" "$(cut -d' ' -f5 "$work/u$w" | sort -n | sed -n 2p)"
done
echo "  (medians of 3 VMs; the boot stage picks one writer per" \
  "$(grep -o 'ENTRIES_PER_WRITER = [0-9]*' boot/quillpodboot.java | grep -o '[0-9]*$') files, at most" \
  "$(grep -o 'static int MAX_WRITERS = [0-9]*' boot/quillpodboot.java | grep -o '[0-9]*$'))"
