#!/usr/bin/env bash
# Packs the test applications from jars and directories with the shortest
# command that works, runs each packed executable and the same files with
# java, and compares output and exit status. Then runs the packer README's
# example as written.
#   run.sh <quillpod-pack> <compiled classes> <jar tool> <source tree> <cmake> <build tree>
set -u
pack=$1 classes=$2 jar_tool=$3 source=$4 cmake=$5 build=$6
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# No failure box on a screen: the launcher then reports on standard error.
unset DISPLAY WAYLAND_DISPLAY
export LC_ALL=C.UTF-8
cd "$work"

# The jars, made as a build tool makes them.
mkdir -p res/hello lib cpmain/cp plain/prop
printf 'Fr\303\266hliche Weihnachten\n' >res/hello/greeting.txt
printf 'Main-Class: hello.Main\nAdd-Opens: java.base/java.lang\n' >hello.mf
"$jar_tool" --create --file hello.jar --manifest hello.mf -C "$classes" hello -C res hello/greeting.txt
printf 'Main-Class: cp.Main\nClass-Path: lib/greeter.jar\n' >cp.mf
cp "$classes"/cp/Main.class cpmain/cp/
"$jar_tool" --create --file cp.jar --manifest cp.mf -C cpmain cp
"$jar_tool" --create --file lib/greeter.jar -C "$classes" cp/lib
"$jar_tool" --create --file heap.jar --main-class heap.Main -C "$classes" heap
cp -r "$classes"/prop plain/

# compare <name> <packed executable> <its arguments...> -- <java command...>:
# the same standard output (the packed one also carries the standard error,
# which the boot stage sends there) and exit status, and an empty TMPDIR.
compare() {
  local name=$1 exe=$2 args=() java=()
  shift 2
  while [ "$1" != "--" ]; do args+=("$1"); shift; done
  shift
  java=("$@")
  mkdir -p "tmp-$name"
  TMPDIR=$work/tmp-$name "./$exe" "${args[@]}" >packed.out 2>packed.err
  local packed_status=$?
  "${java[@]}" "${args[@]}" >java.out 2>java.err
  local java_status=$?
  # The VM's own note on its options comes before the boot stage joins the streams.
  grep -v '^Picked up JAVA_TOOL_OPTIONS' java.err >>java.out
  [ "$packed_status" -eq "$java_status" ] ||
    fail "$name: exit status $packed_status, java gives $java_status"$'\n'"$(cat packed.out packed.err)"
  cmp -s packed.out java.out || fail "$name: output differs:"$'\n'"$(diff packed.out java.out)"
  [ -z "$(ls -A "tmp-$name")" ] || fail "$name: left in TMPDIR: $(ls -A "tmp-$name")"
}

# The shortest commands: -o and the inputs.
"$pack" -o hello hello.jar || fail "packing hello.jar"
"$pack" -o cpapp cp.jar || fail "packing cp.jar"
"$pack" -o prop --main prop.Main plain "--vm-arg=-Dapp.home=/opt/my app" || fail "packing prop"
"$pack" -o prop-bare --main prop.Main plain || fail "packing prop without its option"
"$pack" -o heap heap.jar --vm-arg=-Xmx480m || fail "packing heap.jar with -Xmx"
"$pack" -o heap-bare heap.jar || fail "packing heap.jar"

compare manifest hello "two words" 'say "hi"' "ünïcödé ✓" -- java -jar hello.jar
compare exit-status hello exit 42 -- java -jar hello.jar
compare class-path cpapp "Snø" -- java -jar cp.jar
compare property prop -- java "-Dapp.home=/opt/my app" -cp plain prop.Main
compare property-missing prop-bare -- java -cp plain prop.Main
# More heap than the VM gives by default: a small machine's default (a
# quarter of 256 MB), for both sides.
export JAVA_TOOL_OPTIONS=-XX:MaxRAM=256m
compare heap heap 160 -- java -Xmx480m -jar heap.jar
TMPDIR=$work/tmp-heap ./heap-bare 160 >packed.out 2>&1 && fail "heap: 160 MB held without -Xmx: $(cat packed.out)"
grep -q OutOfMemoryError packed.out || fail "heap: no OutOfMemoryError without -Xmx: $(cat packed.out)"
unset JAVA_TOOL_OPTIONS

# Names beyond ASCII: a jar's own name, and a file of a directory input.
mkdir -p names-dir/names
cp "$classes"/names/Main.class names-dir/names/
printf 'Grüße aus dem Archiv\n' >"names-dir/names/grüße €.txt"
"$jar_tool" --create --file "my prøbe app.jar" --main-class names.Main -C names-dir names
"$pack" -o names-jar "my prøbe app.jar" || fail "packing a jar with a UTF-8 name"
"$pack" -o names-folder --main names.Main names-dir || fail "packing a file with a UTF-8 name"
compare utf8-jar-name names-jar -- java -jar "my prøbe app.jar"
compare utf8-file-name names-folder -- java -cp names-dir names.Main
# A VM in a locale without those characters would write the file under
# another name: the start fails, naming the locale.
mkdir -p tmp-names-c
LC_ALL=C TMPDIR=$work/tmp-names-c ./names-folder >packed.out 2>&1 && fail "utf8 names in the C locale: started"
grep -q 'error 10030: .*start the program in a UTF-8 locale' packed.out ||
  fail "utf8 names in the C locale: $(cat packed.out)"
[ -z "$(ls -A tmp-names-c)" ] || fail "utf8 names in the C locale: left $(ls -A tmp-names-c)"

# The README's example, as written, from a checkout's top folder.
mkdir -p readme/tools/pack/example readme/build
cp "$source/tools/pack/example/Hello.java" readme/tools/pack/example/
ln -s "$pack" readme/build/quillpod-pack
sed -n '/^## Example/,/^## /p' "$source/tools/pack/README.md" | sed -n '/^```sh$/,/^```$/p' | grep -v '^```' |
  grep -v '^cmake ' >readme/example.sh
[ -s readme/example.sh ] || fail "README: no example found"
want=$(sed -n '/^## Example/,/^## /p' "$source/tools/pack/README.md" | sed -n 's/^    //p')
mkdir -p tmp-readme
got=$(cd readme && TMPDIR=$work/tmp-readme bash -e example.sh 2>&1) || fail "README example failed: $got"
[ "$got" = "$want" ] || fail "README example printed:"$'\n'"$got"$'\n'"README says:"$'\n'"$want"

# An installed packer finds its launcher and boot class by itself too.
"$cmake" --install "$build" --prefix "$work/installed" --component quillpod-pack >/dev/null ||
  fail "installing the packer"
"$work/installed/bin/quillpod-pack" -o installed-hello hello.jar || fail "packing with the installed packer"
compare installed installed-hello "x" -- java -jar hello.jar

[ "$failures" -eq 0 ] && echo "all passed"
exit $((failures > 0))
