#!/usr/bin/env bash
# Carried-runtime benchmark, run on demand (not part of ./test):
#   bench/runtime/run.sh [build dir]        (default: build)
#   cmake --build build --target bench_runtime
# Packs a class whose main exits at once, with a runtime made by jlink for
# the game's modules (java.desktop and its needs), and times, alternating in
# one run, the whole process from start to exit of:
#   java -cp      the class from an unpacked copy, on the installed JDK
#   installed     the packed executable without a runtime, on the installed
#                 JDK: java -cp plus the application's own unpacking
#   first         the executable with the runtime, its cache emptied first
#   later         the executable with the runtime, from the cache
# Neither of the last two sees any installed Java (no java on PATH, no
# JAVA_HOME). Prints medians and the goal: later at most
# 1.1 x (java -cp) + (installed - java -cp). Then the sizes: the executable
# with and without the runtime, the unpacked runtime, and the JDK's own.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=$(cd "${1:-build}" && pwd)
rounds=${ROUNDS:-11}
for f in quillpod-pack tools/pack/quillpod-stripped quillpodboot.class; do
  [ -e "$build/$f" ] || { echo "Missing $build/$f: build first (cmake --build ${1:-build})." >&2; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/src" "$work/classes" "$work/nojava" "$work/tmp"
cat >"$work/src/Quick.java" <<'JAVA'
public class Quick {
    public static void main(String[] args) {
        System.exit(0);
    }
}
JAVA
javac --release 8 -nowarn -d "$work/classes" "$work/src/Quick.java" 2>/dev/null
pack=("$build/quillpod-pack" --launcher "$build/tools/pack/quillpod-stripped" --boot "$build/quillpodboot.class"
      --main Quick -c target=C)
"${pack[@]}" -o "$work/plain" "$work/classes" >/dev/null
echo "making the runtime with jlink (a minute or two)..."
"${pack[@]}" -o "$work/carrying" --runtime jlink --add-modules java.desktop "$work/classes"

# ms <command...>: wall-clock milliseconds of one run, then the CPU
# milliseconds (user and system, the VM's included), which a machine busy
# with other work disturbs less.
ms() {
  /usr/bin/time -f "%e %U %S" -o "$work/time" "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; exit 1; }
  awk '{printf "%d %d\n", $1 * 1000, ($2 + $3) * 1000}' "$work/time"
}
bare=(env -i PATH="$work/nojava" HOME="$work" XDG_CACHE_HOME="$work/cache" TMPDIR="$work/tmp")
# median [column]: the median of a column of numbers (default the first).
median() { awk -v c="${1:-1}" '{print $c}' | sort -n | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'; }

: >"$work/java"; : >"$work/installed"; : >"$work/first"; : >"$work/later"
for _ in $(seq "$rounds"); do
  ms java -cp "$work/classes" Quick >>"$work/java"
  ms env TMPDIR="$work/tmp" "$work/plain" >>"$work/installed"
  rm -rf "$work/cache"
  ms "${bare[@]}" "$work/carrying" >>"$work/first"
  ms "${bare[@]}" "$work/carrying" >>"$work/later"
done
for column in 1 2; do
  kind=$([ "$column" = 1 ] && echo "wall-clock" || echo "CPU")
  java_ms=$(median "$column" <"$work/java")
  installed_ms=$(median "$column" <"$work/installed")
  first_ms=$(median "$column" <"$work/first")
  later_ms=$(median "$column" <"$work/later")
  goal_ms=$(awk -v j="$java_ms" -v i="$installed_ms" 'BEGIN {printf "%d", 1.1 * j + (i - j)}')
  echo "$kind medians of $rounds rounds (ms): java -cp $java_ms, installed $installed_ms, first $first_ms," \
    "later $later_ms; goal for later <= $goal_ms (1.1 x java -cp + the application's own unpacking):" \
    "$([ "$later_ms" -le "$goal_ms" ] && echo met || echo missed)"
done

jdk=$(dirname "$(dirname "$(readlink -f "$(command -v javac)")")")
rt=$(ls -d "$work"/cache/quillpod/runtimes/*/ | head -n 1)
echo "sizes (bytes): executable $(stat -c %s "$work/plain") without a runtime, $(stat -c %s "$work/carrying") with it;" \
  "unpacked runtime $(du -sb "$rt" | cut -f1); the JDK $jdk $(du -sbL "$jdk" 2>/dev/null | cut -f1)"
