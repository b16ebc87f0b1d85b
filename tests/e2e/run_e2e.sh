#!/usr/bin/env bash
# End-to-end runs of a packed application: the real launcher starts the
# java on PATH, which runs the real boot stage and the probe application.
# Each run gets a private TMPDIR, which must be empty again afterwards.
#   run_e2e.sh <quillpod-pack> <launcher> <quillpodboot.class> <probe classes>
set -u
pack=$1 launcher=$2 boot=$3 classes=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# No failure box on a screen: the launcher then reports on standard error.
unset DISPLAY WAYLAND_DISPLAY
# The VM decodes its arguments by the locale.
export LC_ALL=C.UTF-8

mkdir -p "$work/app" "$work/media/data"
cp -r "$classes/." "$work/app/"
printf 'Fröhliche Weihnachten\n' >"$work/media/data/note.txt"

# pack <output> <config pairs...>
pack() {
  local out=$1
  shift
  local args=()
  for pair in "$@"; do
    case $pair in --*) args+=("$pair") ;; *) args+=(-c "$pair") ;; esac
  done
  "$pack" --launcher "$launcher" --boot "$boot" "${args[@]}" -o "$work/$out" "$work/app" "$work/media" \
    ${extra:+"$extra"} || fail "packing $out"
}

# run <name> <expected status> <executable> [args...]: leaves stdout and stderr in $out, $err.
run() {
  local name=$1 want=$2 exe=$3
  shift 3
  local tmp="$work/tmp-$name"
  mkdir -p "$tmp"
  TMPDIR=$tmp "$work/$exe" "$@" >"$work/out" 2>"$work/err"
  local status=$?
  out=$(cat "$work/out")
  err=$(cat "$work/err")
  [ "$status" -eq "$want" ] || fail "$name: exit status $status, expected $want"$'\n'"$out"$'\n'"$err"
  [ -z "$(ls -A "$tmp")" ] || fail "$name: left in TMPDIR: $(ls -A "$tmp")"
}
has() { grep -qF -- "$2" <<<"$3" || fail "$1: lacks '$2' in:"$'\n'"$3"; }

pack probe main=e2eapp.Probe
pack probe-java main=e2eapp.Probe target=C
pack too-new main=e2eapp.Probe minver=99 target=C
pack missing-class main=e2eapp.Missing target=C --main-elsewhere
# The jars key allows one restart; an empty jar stands in for a real one.
mkdir -p "$work/jars" && { printf 'PK\005\006'; head -c 18 /dev/zero; } >"$work/jars/none.jar"
extra="$work/jars" pack missing-class-jars main=e2eapp.Missing target=C jars=none.jar --main-elsewhere

# Arguments arrive unchanged, whatever characters they hold.
args=("args" "two words" 'say "hi"' 'back\slash' 'trailing\' 'C:\dir with space\' '\\"' "" "ünïcödé ✓" "*")
run arguments 0 probe "${args[@]}"
expected="argc=${#args[@]}"
for a in "${args[@]}"; do expected+=$'\n'"[$a]"; done
[ "$out" = "$expected" ] || fail "arguments changed:"$'\n'"$out"$'\n'"expected:"$'\n'"$expected"

run files 0 probe-java file
has files "note=Fröhliche Weihnachten" "$out"

run exit-status 0 probe-java exit 0
run exit-status 42 probe-java exit 42

run throws 1 probe-java throw
has throws "quillpod ERROR #10021" "$err"
has throws "the probe fails on purpose" "$out"

# Result codes above 255 reach the launcher whole, through quillpodboot.result.
run too-old 1 too-new args
has too-old "upgrade" "$err"
run no-class 1 missing-class args
has no-class "quillpod ERROR #10024" "$err"
run no-class-jars 1 missing-class-jars args
has no-class-jars "quillpod ERROR #10024" "$err"

# An executable whose archive record was cut off.
z=$("$pack" --list "$work/probe-java" | sed -n 's/^record Z: at offset \([0-9]*\),.*/\1/p')
head -c "$z" "$work/probe-java" >"$work/no-archive" && chmod +x "$work/no-archive"
run no-archive 1 no-archive args
has no-archive "quillpod ERROR #10012" "$err"

# File names outside ASCII under the C locale: the VM still finds the boot
# class and the application's files (the launcher gives it a UTF-8 character
# type), and the user's words arrive whole.
mkdir -p "$work/Bescherung-ü"
cp "$work/probe-java" "$work/Bescherung-ü/spiel-ö"
for env in "LC_ALL=C" "LC_ALL=POSIX LANG=C" ""; do
  tmp="$work/tmp-äöü"
  mkdir -p "$tmp"
  out=$(env -i PATH="$PATH" TMPDIR="$tmp" $env "$work/Bescherung-ü/spiel-ö" file 2>"$work/err")
  status=$?
  [ "$status" -eq 0 ] || fail "non-ASCII paths under '${env:-env -i}': exit status $status"$'\n'"$(cat "$work/err")"
  has "non-ASCII paths under '${env:-env -i}'" "note=Fröhliche Weihnachten" "$out"
  [ -z "$(ls -A "$tmp")" ] || fail "non-ASCII paths: left in TMPDIR: $(ls -A "$tmp")"
done

# The launcher's own failures say why on standard error, once.
mkdir -p "$work/tmp:colon"
TMPDIR="$work/tmp:colon" "$work/probe-java" 2>"$work/err"
[ "$?" -eq 1 ] || fail "':' in TMPDIR: exit status"
has "':' in TMPDIR" "quillpod ERROR #10007" "$(cat "$work/err")"
has "':' in TMPDIR" "quillpod: cannot use the temporary directory $work/tmp:colon" "$(cat "$work/err")"
[ -z "$(ls -A "$work/tmp:colon")" ] || fail "':' in TMPDIR: left $(ls -A "$work/tmp:colon")"

# Each failure names its true cause; the upgrade message only where a newer
# Java would help. The cases, through the real launcher and the real VM:
#   a damaged boot class: the executable is damaged, no VM is started;
b=$("$pack" --list "$work/probe-java" | sed -n 's/^record B: at offset \([0-9]*\),.*/\1/p')
cp "$work/probe-java" "$work/bad-boot"
printf 'XXXX' | dd of="$work/bad-boot" bs=1 seek=$((b + 20)) conv=notrunc status=none
run damaged-boot-class 1 bad-boot args
has damaged-boot-class "quillpod ERROR #10002" "$err"
has damaged-boot-class "is damaged" "$err"
#   the application's class built for a newer Java than the VM: the packer
#   sets minver from it, and the user is asked to upgrade;
mkdir -p "$work/future/e2eapp"
cp "$classes/e2eapp/Probe.class" "$work/future/e2eapp/"
printf '\000\144' | dd of="$work/future/e2eapp/Probe.class" bs=1 seek=6 conv=notrunc status=none
"$pack" --launcher "$launcher" --boot "$boot" -c main=e2eapp.Probe -c target=C -o "$work/future-app" \
  "$work/future" >"$work/pack.out" || fail "packing future-app"
has newer-class "minver=56: the newest class carried, e2eapp\Probe.class" "$(cat "$work/pack.out")"
run newer-class 1 future-app args
has newer-class "Your Java VM needs to be upgraded" "$err"
has newer-class "is below the minimum 56" "$out$err"
#   a VM option the VM refuses, and too little memory for the VM: the
#   upgrade box still (an old VM ends the same way), with the VM's own words
#   above a reason line that says it stopped before the boot stage.
pack bad-option main=e2eapp.Probe target=C "vmargs=-XX:+NoSuchOptionAnywhere" --no-vm-check
run bad-option 1 bad-option args
has bad-option "NoSuchOptionAnywhere" "$err"
has bad-option "before it ran the boot stage (its own message, if it gave one, is above)" "$err"
has bad-option "Your Java VM needs to be upgraded" "$err"
tmp="$work/tmp-ulimit" && mkdir -p "$tmp"
# (A VM that cannot reserve its heap ends with 1 and, on some VMs, no word;
# one with far too little crashes, which is then named as such.)
(ulimit -v 2000000; TMPDIR=$tmp "$work/probe-java" args >"$work/out" 2>"$work/err")
[ $? -eq 1 ] || fail "ulimit -v: exit status, expected 1"$'\n'"$(cat "$work/err")"
grep -qE "before it ran the boot stage|was ended by signal" "$work/err" \
  || fail "ulimit -v: no reason line that tells why:"$'\n'"$(cat "$work/err")"
[ -z "$(ls -A "$tmp")" ] || fail "ulimit -v: left in TMPDIR: $(ls -A "$tmp")"

[ "$failures" -eq 0 ] && echo "all passed"
exit $((failures > 0))
