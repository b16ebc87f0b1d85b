#!/usr/bin/env bash
# Black-box runs of quillpod-pack: packing, listing, reproducibility, and
# the errors that must leave no output behind.
set -u
pack=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

cd "$tmp"
head -c 3000 /dev/zero >launcher
printf 'BOOTCLASS' >boot.class
mkdir -p app/com/t media/XmasGifs
printf 'class' >app/com/t/Main.class
head -c 5000 /dev/urandom >media/XmasGifs/a.gif
: >media/empty
printf '# comment\r\nmain=com.t.Main\r\ntarget=C\n' >cfg

"$pack" --launcher launcher --boot boot.class --config-file cfg -c minver=1.3 -o out app media \
  || fail "packing failed"
[ -x out ] || fail "output is not executable"
cmp -s -n 3000 launcher out || fail "output does not start with the launcher"
sleep 1.1  # a gzip time stamp would now differ
"$pack" --launcher launcher --boot boot.class --config-file cfg -c minver=1.3 -o out2 app media
cmp -s out out2 || fail "the same inputs gave different bytes"

list=$("$pack" --list out) || fail "--list failed"
expect() { grep -qF -- "$1" <<<"$list" || fail "--list lacks '$1':"$'\n'"$list"; }
expect "record B: at offset 3008, 9 bytes"
expect "main=com.t.Main"
expect "minver=1.3"
expect "3 entries"
expect "      5000  XmasGifs\\a.gif"
expect "         5  com\\t\\Main.class"
expect "         0  empty"

# A directory carried as a folder of its own name.
mkdir -p XmasSounds && printf 'au' >XmasSounds/s.au
"$pack" --launcher launcher --boot boot.class -c main=x -o folder app --folder XmasSounds/ || fail "--folder failed"
grep -qF "         2  XmasSounds\\s.au" <("$pack" --list folder) || fail "--folder: XmasSounds\\s.au not listed"

# Each error: non-zero exit, a message, no output file and no temporary left.
check_error() {
  local what=$1
  shift
  rm -f bad*
  if "$pack" "$@" >stdout 2>stderr; then
    fail "$what: succeeded"
  fi
  [ -s stderr ] || fail "$what: no message"
  ls bad* >/dev/null 2>&1 && fail "$what: left $(ls bad*)"
}
check_error "missing launcher" --launcher nope --boot boot.class -o bad app
check_error "missing boot class" --launcher launcher --boot nope -o bad app
check_error "missing directory" --launcher launcher --boot boot.class -o bad nope
check_error "packed launcher" --launcher out --boot boot.class -o bad app
check_error "name clash" --launcher launcher --boot boot.class -o bad app app
check_error "bad pair" --launcher launcher --boot boot.class -c novalue -o bad app
check_error "no output" --launcher launcher --boot boot.class app
check_error "list with extras" --list out -o bad
cp launcher bad-launcher
"$pack" --launcher bad-launcher --boot boot.class -o bad-launcher app 2>/dev/null && fail "output over the launcher: accepted"
cmp -s launcher bad-launcher || fail "output over the launcher: the launcher was changed"
check_error "list of a plain file" --list launcher
grep -q "already carries" <(
  "$pack" --launcher out --boot boot.class -o bad app 2>&1) || fail "packed launcher: unclear message"
mkdir -p long/$(printf 'd%.0s' {1..60})
: >long/$(printf 'd%.0s' {1..60})/$(printf 'f%.0s' {1..70})
grep -q "at most 127" <("$pack" --launcher launcher --boot boot.class -o bad long 2>&1) \
  || fail "long name: unclear message"
"$pack" --help | grep -q -- "--config-file" || fail "--help lacks an option"

[ "$failures" -eq 0 ] && echo "all passed"
exit $((failures > 0))
