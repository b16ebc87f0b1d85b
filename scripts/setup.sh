# Sourced by ./play and ./test: installs the Debian packages the build and the
# tests need (as root), or says which apt-get line to run, then configures and
# builds everything into build/.

QUILLPOD_PACKAGES=(
  cmake g++ make pkg-config
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  zlib1g-dev libcli11-dev libx11-dev libzip-dev libzstd-dev libmd-dev
  libasio-dev libcpp-httplib-dev libsqlite3-dev libpq-dev postgresql iproute2 curl
  openjdk-17-jdk junit5
  clang libclang-rt-14-dev
  xvfb xauth xdotool x11-utils x11-apps openbox imagemagick
  pulseaudio pulseaudio-utils libasound2-plugins
  g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32 libz-mingw-w64-dev wine wine32 wine64 icoutils file npm
)

quillpod_missing_packages() {
  local p missing=()
  for p in "${QUILLPOD_PACKAGES[@]}"; do
    # A Node.js from elsewhere brings its own npm, which Debian's would conflict with.
    [ "$p" = npm ] && command -v npm >/dev/null && continue
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  # Nothing at all when every package is there, so callers see an empty list.
  [ "${#missing[@]}" -eq 0 ] || printf '%s\n' "${missing[@]}"
}

# quillpod_need_i386 PACKAGES...: true when one of them is wine32, which
# comes only for i386, and dpkg does not know that architecture yet.
quillpod_need_i386() {
  case " $* " in *" wine32 "*) ;; *) return 1 ;; esac
  ! dpkg --print-foreign-architectures | grep -qx i386
}

quillpod_setup() {
  local missing
  mapfile -t missing < <(quillpod_missing_packages)
  if [ "${#missing[@]}" -gt 0 ]; then
    if [ "$(id -u)" -eq 0 ]; then
      echo "Installing: ${missing[*]}"
      export DEBIAN_FRONTEND=noninteractive
      quillpod_need_i386 "${missing[@]}" && { dpkg --add-architecture i386 || return 1; }
      apt-get update -qq || return 1
      apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null || return 1
    else
      echo "Some packages are missing. Run this once, then try again:" >&2
      quillpod_need_i386 "${missing[@]}" && echo "  sudo dpkg --add-architecture i386 && sudo apt-get update" >&2
      echo "  sudo apt-get install -y ${missing[*]}" >&2
      return 1
    fi
  fi
}

quillpod_build() {
  cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >build-configure.log 2>&1 \
    || { cat build-configure.log >&2; return 1; }
  rm -f build-configure.log
  cmake --build build -j "$(nproc)"
}

# quillpod_start_xvfb: starts a private X server on a free display number and
# exports DISPLAY; the caller stops it with quillpod_stop_xvfb. The server
# picks its own number and reports it once it accepts clients, so two runs
# started at the same moment never end up sharing (and stopping) one server.
quillpod_start_xvfb() {
  local f n i
  f=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$f" >/dev/null 2>&1 &
  QUILLPOD_XVFB_PID=$!
  for i in $(seq 1 100); do
    [ -s "$f" ] && break
    kill -0 "$QUILLPOD_XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  n=$(tr -dc 0-9 <"$f")
  rm -f "$f"
  if [ -n "$n" ] && kill -0 "$QUILLPOD_XVFB_PID" 2>/dev/null; then
    export DISPLAY=":$n"
    return 0
  fi
  echo "Could not start Xvfb" >&2
  return 1
}

quillpod_stop_xvfb() {
  [ -n "${QUILLPOD_XVFB_PID:-}" ] && kill "$QUILLPOD_XVFB_PID" 2>/dev/null
  wait "${QUILLPOD_XVFB_PID:-}" 2>/dev/null || true
}
