#!/usr/bin/env bash
# A hostile second user on a shared temporary directory, against the real
# launcher: look-alike workspaces with links swapped in and out, workspaces
# replaced by links, other users' look-alikes, twenty thousand of them, and
# a launcher killed outright. Nothing outside the launcher's own workspaces
# may ever be removed. Stand-in VMs keep each launch short.
#   attacks_test.sh <executable with records>
set -u
exe=$1
if [ "$(id -u)" -ne 0 ] || ! command -v setpriv >/dev/null; then
  echo "SKIP: needs root and setpriv to act as two users"
  exit 0
fi
work=$(mktemp -d)
chmod 0755 "$work"
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
unset DISPLAY WAYLAND_DISPLAY JAVA_HOME
attacker=(setpriv --reuid 65534 --regid 65534 --clear-groups)
other_user=(setpriv --reuid 40123 --regid 40123 --clear-groups)

# Stand-in VMs: each ends at once, as a VM that found nothing to run.
mkdir -p "$work/vms"
for vm in jview java jre; do printf '#!/bin/sh\nexit 0\n' >"$work/vms/$vm"; chmod 0755 "$work/vms/$vm"; done
cp "$exe" "$work/app" && chmod 0755 "$work/app"

# victim <dir> <owner>: a folder of precious files and its fingerprint.
victim() {
  mkdir -p "$1/sub" && echo precious >"$1/a" && echo precious >"$1/sub/b"
  chown -R "$2" "$1"
}
fingerprint() { (cd "$1" && find . | sort | md5sum); }

# launches <count> <tmpdir> <as...>: the launcher as a user, count times.
launches() {
  local n=$1 tmp=$2
  shift 2
  for _ in $(seq "$n"); do
    TMPDIR=$tmp PATH=$work/vms:/usr/bin:/bin "$@" "$work/app" >/dev/null 2>"$work/err"
  done
}

# The swapper: look-alike workspaces (run-name form, boot class, no lock)
# holding a folder `a` and a link `b` to the victim, swapped endlessly.
start_swapper() {
  local tmp=$1 target=$2
  for i in 1 2 3 4; do
    local d="$tmp/17000000000$i"
    "${attacker[@]}" sh -c "mkdir -p '$d/a' && touch '$d/quillpodboot.class' '$d/a/x' && ln -s '$target' '$d/b'"
  done
  "${attacker[@]}" /usr/bin/python3 -c '
import os, sys, time
dirs = sys.argv[1:]
end = time.time() + 600
while time.time() < end:
    for d in dirs:
        try:
            os.rename(d + "/a", d + "/t"); os.rename(d + "/b", d + "/a"); os.rename(d + "/t", d + "/b")
        except OSError:
            pass
' "$tmp"/17000000000{1,2,3,4} &
  pids+=($!)
}

# 1. The link swapper in a sticky shared directory, against root and against an ordinary user.
for who in root user; do
  tmp="$work/shared-$who" && mkdir -m 1777 "$tmp"
  v="$work/victim-$who"
  if [ "$who" = root ]; then victim "$v" 0:0; as=(); else victim "$v" 40123:40123; as=("${other_user[@]}"); fi
  before=$(fingerprint "$v")
  start_swapper "$tmp" "$v"
  launches 50 "$tmp" "${as[@]}"
  kill "${pids[-1]}" 2>/dev/null
  [ "$(fingerprint "$v")" = "$before" ] || fail "the link swapper had the launcher of $who delete the victim's files"
  left=$(find "$tmp" -mindepth 1 -maxdepth 1 -user "$([ $who = root ] && echo 0 || echo 40123)" | wc -l)
  [ "$left" -eq 0 ] || fail "$who's launches left $left workspaces"
  [ "$(find "$tmp" -mindepth 1 -maxdepth 1 -user 65534 | wc -l)" -eq 4 ] || fail "another user's look-alikes were removed by $who"
done

# 2. A temporary directory others may write into without the sticky bit:
# the workspace could be renamed away and replaced by a link. Refused
# before anything is made, with its own reason.
tmp="$work/open" && mkdir -m 0777 "$tmp"
v="$work/victim-open" && victim "$v" 0:0
before=$(fingerprint "$v")
"${attacker[@]}" /usr/bin/python3 -c '
import os, sys, time
tmp, target = sys.argv[1], sys.argv[2]
end = time.time() + 600
while time.time() < end:
    for n in os.listdir(tmp):
        if n[:1].isdigit() and not os.path.islink(tmp + "/" + n):
            try:
                os.rename(tmp + "/" + n, tmp + "/moved-" + n); os.symlink(target, tmp + "/" + n)
            except OSError:
                pass
' "$tmp" "$v" &
pids+=($!)
for _ in $(seq 50); do
  TMPDIR=$tmp PATH=$work/vms:/usr/bin:/bin "$work/app" >/dev/null 2>"$work/err"
  status=$?
  [ $status -eq 1 ] || { fail "an unsticky shared temporary directory ran (status $status)"; break; }
  grep -q "no sticky bit" "$work/err" || { fail "no reason for the refusal: $(cat "$work/err")"; break; }
  grep -q "ERROR #10007" "$work/err" || { fail "not error 10007: $(cat "$work/err")"; break; }
done
kill "${pids[-1]}" 2>/dev/null
[ "$(fingerprint "$v")" = "$before" ] || fail "the replaced workspace had the launcher delete the victim's files"
[ -z "$(find "$tmp" -mindepth 1 -user 0)" ] || fail "something was made in the unsticky directory"

# 3. Another user's look-alikes, even private ones, stay; and 4. twenty
# thousand of them cost each launch a bounded walk and are all still there.
for count in 200 20000; do
  tmp="$work/many-$count" && mkdir -m 1777 "$tmp"
  "${attacker[@]}" /usr/bin/python3 -c '
import os, sys
tmp, n = sys.argv[1], int(sys.argv[2])
for i in range(n):
    d = "%s/16%08d" % (tmp, i)
    os.mkdir(d, 0o700)
    open(d + "/quillpodboot.class", "w").close()
' "$tmp" "$count"
  launches 50 "$tmp"
  left=$(find "$tmp" -mindepth 1 -maxdepth 1 -user 65534 | wc -l)
  [ "$left" -eq "$count" ] || fail "$((count - left)) of $count look-alikes of another user were removed"
  [ -z "$(find "$tmp" -mindepth 1 -maxdepth 1 -user 0)" ] || fail "launches among $count look-alikes left workspaces"
done

# 5. A launcher killed outright takes its VM along, and the next launch
# removes what it left.
tmp="$work/killed" && mkdir -m 0700 "$tmp"
mkdir -p "$work/slow"
printf '#!/bin/sh\nexec sleep 300\n' >"$work/slow/java"
cp "$work/slow/java" "$work/slow/jview" && cp "$work/slow/java" "$work/slow/jre" && chmod 0755 "$work/slow"/*
TMPDIR=$tmp PATH=$work/slow:/usr/bin:/bin "$work/app" >/dev/null 2>&1 &
launcher=$!
vm=""
for _ in $(seq 200); do
  vm=$(pgrep -P "$launcher" sleep)
  [ -n "$vm" ] && break
  sleep 0.05
done
[ -n "$vm" ] || fail "the stand-in VM never started"
kill -9 "$launcher"
wait "$launcher" 2>/dev/null
gone=no
for _ in $(seq 100); do
  kill -0 "$vm" 2>/dev/null || { gone=yes; break; }
  sleep 0.05
done
[ "$gone" = yes ] || { fail "the VM outlived its killed launcher by 5 s"; kill "$vm" 2>/dev/null; }
launches 1 "$tmp"
[ -z "$(ls -A "$tmp")" ] || fail "the next launch left: $(ls -A "$tmp")"

if [ $failures -eq 0 ]; then echo "all attacks failed to do harm"; exit 0; fi
echo "$failures failures"
exit 1
