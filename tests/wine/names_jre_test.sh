#!/usr/bin/env bash
# Archive names beyond ASCII on a real Java runtime for Windows under wine,
# in the prefix that jre_setup.sh prepared: a jar named "my prøbe app.jar"
# goes on the class path and a file "names\grüße €.txt" unpacks under its
# own name, so the application starts from the one and reads the other.
#   names_jre_test.sh <wine root> <windows launchers> <quillpod-pack> <boot class> <classes with names.Main>
set -euo pipefail
wine_root=$1 launchers=$2 pack=$3 boot=$4 classes=$5
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "FAIL (names): $*" >&2
  for f in out err; do [ -s "$work/$f" ] && sed "s/^/  $f: /" "$work/$f" >&2; done
  exit 1
}
. "$here/wine_env.sh"
require_jre

cd "$work"
mkdir -p jarred/names res/names
cp "$classes/names/Main.class" jarred/names/
printf 'Grüße aus dem Archiv\n' >"res/names/grüße €.txt"
jar --create --file "my prøbe app.jar" --main-class names.Main -C jarred names
# console=yes: a failure is told on standard error, never in a box that would wait.
"$pack" --launcher "$launchers/quillpod.exe" --boot "$boot" -o names.exe -c console=yes -c target=C \
  "my prøbe app.jar" res >pack.log 2>&1 || fail "packing failed: $(cat pack.log)"
status=0
WINEPATH="$jre_path" timeout -k 10 300 "$wine64" names.exe >out 2>err || status=$?
# 3: the file was not found under its name; 1 (error 10024): the jar was not.
[ "$status" -eq 0 ] || fail "exit status $status"
echo "ok (names): the jar and the file with UTF-8 names, on the Windows runtime"
