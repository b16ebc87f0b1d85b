# Shared by the tests that run Windows executables on a real Java runtime
# under wine (sourced, not run). The caller sets wine_root, the folder that
# keeps the runtime's package and the 64-bit wine prefix it is unpacked into
# between runs (build/wine), and defines fail. A test elsewhere that needs a
# Java runtime under wine does the same: FIXTURES_REQUIRED wine_jre (the
# fixture prepares the prefix and starts the run's one wine server),
# RESOURCE_LOCK wine_temp when it checks %TEMP%, then require_jre.

mkdir -p "$wine_root"
wine_root=$(cd "$wine_root" && pwd)  # wine takes only an absolute prefix

# A jlink image of a 64-bit Java 17 runtime for Windows (java.base,
# java.desktop and a few more), pinned by version and checksum.
jre_package='@node-plantuml-2/jre-win32-x64@1.1.8'
jre_tarball=node-plantuml-2-jre-win32-x64-1.1.8.tgz
jre_sha256=6ab29e67f68543aba53fa1ca7c80c75c0a8b4117cd1bad11bfa25d8913bc6489

# The 64-bit wine alone: Debian's wine script picks the 32-bit loader when
# wine32 is installed, and some kernels cannot run 32-bit programs at all.
wine64=/usr/lib/wine/wine64
export WINELOADER=$wine64 WINESERVER=/usr/lib/wine/wineserver64
export WINEPREFIX=$wine_root/prefix WINEARCH=win64 WINEDEBUG=-all
# No prompts to install wine's .NET and HTML engines.
export WINEDLLOVERRIDES='mscoree,mshtml='
# The runtime's java.exe, found on the Windows search path as the launcher expects.
jre_path='C:\jre\bin'
# Holds the checksum of the runtime unpacked into the prefix, once it is ready.
jre_ready=$WINEPREFIX/.quillpod-jre
# Why the runtime is not at hand, when the set-up could not fetch it.
jre_skip=$wine_root/skipped

# windows_path <path>: a POSIX path as wine's drive Z: shows it.
windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }

# wine_temp: the prefix user's temporary folder (%TEMP%), as a POSIX path.
wine_temp() {
  local d
  for d in "$WINEPREFIX"/drive_c/users/*/Temp; do
    case $d in */Public/Temp) continue ;; esac
    [ -d "$d" ] && { printf '%s\n' "$d"; return 0; }
  done
  return 1
}

# require_jre: ends the test as skipped when the set-up could not fetch the
# runtime, and as failed when the set-up did not run.
require_jre() {
  if [ -f "$jre_skip" ]; then
    echo "skipped: $(cat "$jre_skip")"
    exit 77
  fi
  [ "$(cat "$jre_ready" 2>/dev/null)" = "$jre_sha256" ] ||
    fail "no Java runtime in $WINEPREFIX (the wine_jre_setup test prepares it)"
}
