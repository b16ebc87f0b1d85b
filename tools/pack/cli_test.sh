#!/usr/bin/env bash
# Black-box runs of quillpod-pack: packing directories and jars, listing,
# reproducibility, and every refusal and warning, each refusal leaving no
# output behind.
#   cli_test.sh <quillpod-pack> <quillpodboot.class> <jar tool>
set -u
pack=$1 boot_class=$2 jar_tool=$3
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

cd "$tmp"
head -c 3000 /dev/zero >launcher
cp "$boot_class" boot.class
boot_size=$(stat -c %s boot.class)
mkdir -p app/com/t media/XmasGifs
printf 'class' >app/com/t/Main.class
head -c 5000 /dev/urandom >media/XmasGifs/a.gif
: >media/empty
printf '# comment\r\nmain=com.t.Main\r\ntarget=C\n' >cfg
base=(--launcher launcher --boot boot.class)

# Jars: one with a manifest whose Class-Path names a jar beside it, one
# without, and a folder of jars.
make_jar() {  # make_jar <jar> <manifest text or ""> <class names...>
  local jar=$1 manifest=$2 src
  shift 2
  src=$(mktemp -d -p "$tmp")
  for c in "$@"; do mkdir -p "$src/$(dirname "$c")" && printf 'class' >"$src/$c"; done
  mkdir -p "$(dirname "$jar")"
  if [ -n "$manifest" ]; then
    printf '%b' "$manifest" >"$src.mf"
    "$jar_tool" --create --file "$jar" --manifest "$src.mf" -C "$src" .
  else
    "$jar_tool" --create --no-manifest --file "$jar" -C "$src" .
  fi
}
make_jar main.jar 'Main-Class: com.j.Main\nClass-Path: lib/dep.jar lib/gone.jar\n' com/j/Main.class
make_jar lib/dep.jar '' d/Dep.class
make_jar libs/a.jar '' a/A.class
make_jar libs/b.jar 'Main-Class: b.B\n' b/B.class
make_jar other/a.jar '' o/A.class
printf 'plain text' >libs/notes.txt
mkdir -p nojars reserved/case reserved/marker reserved/result sub/x
printf 'x' >reserved/case/QUILLPODBOOT.CLASS
printf 'x' >reserved/marker/Jz.Ky.Tx
printf 'x' >reserved/result/quillpodboot.result
printf 'x' >sub/x/Jz.Ky.Tx  # only the root is the boot stage's
cp lib/dep.jar app-with-jar.jar && mkdir -p withjar && cp lib/dep.jar withjar/

# Directories, a configuration file and pairs.
"$pack" "${base[@]}" --config-file cfg -c minver=1.3 -o out app media || fail "packing failed"
[ -x out ] || fail "output is not executable"
cmp -s -n 3000 launcher out || fail "output does not start with the launcher"
sleep 1.1  # a gzip time stamp would now differ
"$pack" "${base[@]}" --config-file cfg -c minver=1.3 -o out2 app media
cmp -s out out2 || fail "the same inputs gave different bytes"

list=$("$pack" --list out) || fail "--list failed"
expect() { grep -qF -- "$1" <<<"$list" || fail "${2:-listing} lacks '$1':"$'\n'"$list"; }
expect "record B: at offset 3008, $boot_size bytes"
expect "main=com.t.Main"
expect "minver=1.3"
expect "3 entries"
expect "      5000  XmasGifs\\a.gif"
expect "         5  com\\t\\Main.class"
expect "         0  empty"

# A directory carried as a folder of its own name.
mkdir -p XmasSounds && printf 'au' >XmasSounds/s.au
"$pack" "${base[@]}" -c main=x -o folder app --folder XmasSounds/ 2>/dev/null || fail "--folder failed"
grep -qF "         2  XmasSounds\\s.au" <("$pack" --list folder) || fail "--folder: XmasSounds\\s.au not listed"

# Jars and folders of jars. Each row: what, the arguments after -o, then the
# lines the listing must hold, separated by '|'.
while IFS=';' read -r what args lines; do
  [ -z "$what" ] && continue
  rm -f jarout
  # shellcheck disable=SC2086
  "$pack" "${base[@]}" -o jarout $args 2>stderr || { fail "$what: refused: $(cat stderr)"; continue; }
  list=$("$pack" --list jarout)
  IFS='|' read -ra wanted <<<"$lines"
  for line in "${wanted[@]}"; do expect "$line" "$what"; done
done <<'ROWS'
jar with a manifest and Class-Path;main.jar;main=com.j.Main|jars=main.jar,dep.jar|  main.jar|  dep.jar|2 entries
folder of jars;--jar-dir libs --main b.B;main=b.B|jars=a.jar,b.jar|2 entries
main class from the first jar that names one;libs/a.jar libs/b.jar;main=b.B|jars=a.jar,b.jar
mix of jars and directories;main.jar app --vm-arg -Xmx2g --vm-arg=-Dapp.home=/opt/a;main=com.j.Main|jars=main.jar,dep.jar|vmargs=-Xmx2g -Dapp.home=/opt/a|  com\t\Main.class|  main.jar|3 entries
command line keys win over the manifest;main.jar -c main=com.t.Main -c jars=main.jar app;main=com.t.Main|jars=main.jar
a jar in a directory named by the jars key;withjar app -c jars=dep.jar -c main=com.t.Main;jars=dep.jar|  dep.jar
ROWS
# The launcher's keys first, whatever the order given; a "target=" in
# another value gets the default target written out before it.
"$pack" "${base[@]}" -o ordered -c minver=1.8 -c helpurl=http://h/?target=_top app --main com.t.Main \
  || fail "help address with a query refused"
[ "$("$pack" --list ordered | sed -n '3,6p')" = "$(printf '  %s\n' main=com.t.Main target=H \
  helpurl=http://h/?target=_top minver=1.8)" ] || fail "configuration order: $("$pack" --list ordered)"

# A blank inside one --vm-arg stays inside that option.
"$pack" "${base[@]}" -o jarout main.jar "--vm-arg=-Dapp.home=/opt/my app" 2>/dev/null
grep -qF 'vmargs="-Dapp.home=/opt/my app"' <("$pack" --list jarout) || fail "--vm-arg with a blank not quoted"

# The launcher and boot class beside the packer, when not given.
"$pack" -o default main.jar 2>/dev/null || fail "packing with the defaults failed"
here=$(dirname "$pack")
launcher_size=$(stat -c %s "$here/quillpod-stripped" 2>/dev/null || stat -c %s "$here/quillpod")
grep -q "record B: at offset $(((launcher_size + 15) / 16 * 16))," <("$pack" --list default) \
  || fail "defaults: not the launcher beside the packer"

# Each refusal: non-zero exit, a message naming the fault, no output file and
# no temporary left.
check_error() {
  local what=$1 says=$2
  shift 2
  rm -f bad*
  if "$pack" "$@" >stdout 2>stderr; then
    fail "$what: succeeded"
  fi
  grep -qF -- "$says" stderr || fail "$what: message lacks '$says': $(cat stderr)"
  ls bad* >/dev/null 2>&1 && fail "$what: left $(ls bad*)"
}
check_error "missing launcher" "cannot open nope" --launcher nope --boot boot.class -o bad app
check_error "missing boot class" "cannot open nope" --launcher launcher --boot nope -o bad app
check_error "boot file not the boot class" "is not the boot class: it is no class file" \
  --launcher launcher --boot launcher -o bad app
check_error "missing input" "cannot read nope" "${base[@]}" -o bad nope
check_error "input neither directory nor jar" "neither a directory nor a jar" "${base[@]}" -o bad cfg
check_error "packed launcher" "already carries" --launcher out --boot boot.class -o bad app
check_error "name clash" "the archive holds one file of a name" "${base[@]}" -o bad app app
check_error "two jars of one name" "two different jars are named a.jar" "${base[@]}" -o bad libs/a.jar other/a.jar
printf 'PK\003\004 not really a zip' >damaged.jar && cp libs/a.jar "comma,name.jar"
check_error "damaged jar" "cannot read the jar damaged.jar" "${base[@]}" -o bad damaged.jar
check_error "jar name with a comma" "a jar's name may hold none" "${base[@]}" -o bad "comma,name.jar"
check_error "bad pair" "has no '='" "${base[@]}" -c novalue -o bad app
check_error "no output" "no output given" "${base[@]}" app
check_error "nothing to pack" "nothing to pack" "${base[@]}" -o bad
check_error "list with extras" "--list takes only" --list out -o bad
check_error "list of a plain file" "not a complete packed executable" --list launcher
mkfifo pipe
check_error "list of a pipe" "is not a regular file" --list pipe
check_error "minver not dotted" "minver \"1.x\" is not a dotted version" "${base[@]}" -c minver=1.x -o bad app
check_error "minver empty" "is not a dotted version" "${base[@]}" -c minver= -o bad app
check_error "minver with a blank" "is not a dotted version" "${base[@]}" -c "minver=1.8 " -o bad app
check_error "target not a letter" "target \"c\" is not a letter from A to H" "${base[@]}" -c target=c -o bad app
check_error "target of two letters" "is not a letter from A to H" "${base[@]}" -c target=CH -o bad app
check_error "target without java" "target=B tries jview, never java" "${base[@]}" -c target=B -o bad app
check_error "target without any VM" "target=A tries no VM at all" "${base[@]}" -c target=A -o bad app
check_error "jars item with a blank" "the jars item \" main.jar\" has a blank" \
  "${base[@]}" -c "jars= main.jar" -o bad main.jar
check_error "jars item missing" "the jars item \"nope.jar\" names no file in the archive; its jars are dep.jar, main.jar" \
  "${base[@]}" -c jars=main.jar,nope.jar -o bad main.jar
check_error "jars item with a backslash" "has a backslash" "${base[@]}" -c 'jars=lib\dep.jar' -o bad app
check_error "archive of jars without jars" "no jars key puts them on the class path" "${base[@]}" -o bad withjar
check_error "boot class name in the archive" "may not hold a file named QUILLPODBOOT.CLASS" \
  "${base[@]}" -o bad reserved/case
check_error "marker name in the archive" "may not hold a file named Jz.Ky.Tx" "${base[@]}" -o bad reserved/marker
check_error "result file name in the archive" "may not hold a file named quillpodboot.result" \
  "${base[@]}" -o bad reserved/result
check_error "--main against main" "disagree" "${base[@]}" --main a.B -c main=a.C -o bad app
check_error "--jar-dir without jars" "holds no jar" "${base[@]}" --jar-dir nojars -o bad
check_error "key read from inside another line" "the launcher would read jars as \"x\"" \
  "${base[@]}" --vm-arg=-Dapp.jars=x -o bad app
cp main.jar bad-main.jar
"$pack" "${base[@]}" -o bad-main.jar bad-main.jar 2>stderr && fail "output over an input jar: accepted"
cmp -s main.jar bad-main.jar || fail "output over an input jar: the jar was changed"
grep -qF "is one of the application's own files" stderr || fail "output over an input jar: $(cat stderr)"
cp launcher bad-launcher
"$pack" --launcher bad-launcher --boot boot.class -o bad-launcher app 2>/dev/null && fail "output over the launcher: accepted"
cmp -s launcher bad-launcher || fail "output over the launcher: the launcher was changed"
mkdir -p long/$(printf 'd%.0s' {1..60})
: >long/$(printf 'd%.0s' {1..60})/$(printf 'f%.0s' {1..70})
check_error "long name" "at most 127" "${base[@]}" -o bad long

# --platform takes the launcher beside the packer; a packer alone says how
# to build the one it lacks.
"$pack" --boot boot.class --platform linux -o plat-linux main.jar || fail "--platform linux refused"
[ "$(head -c 4 plat-linux | od -An -c | tr -d ' ')" = '177ELF' ] || fail "--platform linux: not an ELF file"
if [ -f "$here/win32/quillpod.exe" ]; then
  "$pack" --boot boot.class --platform windows -o plat-win.exe main.jar || fail "--platform windows refused"
  cmp -s -n 64 "$here/win32/quillpod.exe" plat-win.exe || fail "--platform windows: not the Windows launcher"
else
  echo "skipped --platform windows: no $here/win32/quillpod.exe in this build"
fi
mkdir -p alone && cp "$pack" alone/quillpod-pack
for row in "windows|win32/quillpod.exe|--target quillpod_win32" "windows -c console=yes|win32/quillpod-console.exe|" \
           "linux|quillpod-stripped or|--target quillpod"; do
  IFS='|' read -r args names target <<<"$row"
  # shellcheck disable=SC2086
  alone/quillpod-pack --boot boot.class --platform $args -o bad main.jar 2>stderr && fail "alone, $args: accepted"
  grep -qF "no launcher for --platform ${args%% *} beside the packer ($tmp/alone/$names" stderr &&
    grep -qF "build it with cmake --build build $target" stderr || fail "alone, $args: $(cat stderr)"
  ls bad* >/dev/null 2>&1 && fail "alone, $args: left $(ls bad*)"
done
check_error "--platform and --launcher" "give one of them" "${base[@]}" --platform linux -o bad app
check_error "--platform unknown" "is not one of linux, windows" --boot boot.class --platform macos -o bad app

# Warnings: the executable is made, and the message says what is odd.
check_warning() {
  local what=$1 says=$2
  shift 2
  "$pack" "$@" >stdout 2>stderr || fail "$what: refused: $(cat stderr)"
  grep -q "^quillpod-pack: warning: " stderr && grep -qF -- "$says" stderr || fail "$what: warning lacks '$says': $(cat stderr)"
}
check_warning "unknown key" "the key \"mian\" is read by nobody and only stored; the keys read are main, minver, target, helpurl, jars, vmargs" \
  "${base[@]}" -c main=com.t.Main -c mian=x -o warned app
"$pack" "${base[@]}" -c main=com.t.Main -c windowed=yes -o quiet app >stdout 2>stderr || fail "windowed key: refused: $(cat stderr)"
grep -q "warning" stderr && fail "windowed key: a key executables have always carried draws a warning: $(cat stderr)"
check_warning "main class not carried" "the main class com.t.Nope is not in the archive (com\\t\\Nope.class)" \
  "${base[@]}" -c main=com.t.Nope -o warned app
check_warning "main class not in the jars" "nor in its jars (main.jar, dep.jar)" \
  "${base[@]}" --main com.j.Nope -o warned main.jar
check_warning "no main" "no main key" "${base[@]}" -o warned app
check_warning "Class-Path item missing" "names lib/gone.jar, which is not there" "${base[@]}" -o warned main.jar
"$pack" "${base[@]}" -o warned sub app --main com.t.Main 2>stderr || fail "marker name below the root refused"
[ -s stderr ] && fail "a clean packing warned: $(cat stderr)"

"$pack" --help >help || fail "--help failed"
for word in --config-file --jar-dir --vm-arg --main main minver target helpurl jars vmargs stripped \
  "standard error" "unpacks the whole application"; do
  grep -qF -- "$word" help || fail "--help lacks '$word'"
done

[ "$failures" -eq 0 ] && echo "all passed"
exit $((failures > 0))
