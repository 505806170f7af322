# Shared by tools/run, tools/test and tools/bench: set-up, build, Wine and X.
# Sourced, not run.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD="$ROOT/build"
JOBS=${JOBS:-$(nproc)}

# Debian packages the project needs, as dpkg names them.
PACKAGES=(cmake make g++ googletest libgtest-dev
          g++-mingw-w64-i686-posix g++-mingw-w64-i686-win32 binutils-mingw-w64-i686
          wine wine32:i386 wine64 xvfb xauth
          fonts-liberation)  # metric twin of Arial, so Wine lays the window out as Windows does

ensure_packages() {
  local missing=() p
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "Missing Debian packages: ${missing[*]}" >&2
    echo "Install them as root (after 'dpkg --add-architecture i386' for wine32:i386), or run this command as root." >&2
    exit 1
  fi
  echo "Installing: ${missing[*]}"
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

build_native() {
  cmake -S "$ROOT" -B "$BUILD/native" -DCMAKE_BUILD_TYPE=Debug >/dev/null
  cmake --build "$BUILD/native" -j "$JOBS"
}

build_windows() {
  cmake -S "$ROOT" -B "$BUILD/windows" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake" >/dev/null
  cmake --build "$BUILD/windows" -j "$JOBS"
}

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

# A new, private Wine prefix at $1 (removed first if it exists); $2 is the
# architecture, win32 unless given.
make_prefix() {
  local prefix=$1 arch=${2:-win32}
  stop_prefix "$prefix"
  rm -rf "$prefix"
  mkdir -p "$(dirname "$prefix")"
  WINEPREFIX="$prefix" WINEARCH="$arch" wineboot --init >/dev/null 2>&1
  # A crash prints its backtrace and ends instead of waiting in a dialog;
  # windows get their title bar from Wine, as there is no window manager.
  local settings="$prefix/test-settings.reg"
  printf '%s\r\n' 'REGEDIT4' '' '[HKEY_CURRENT_USER\Software\Wine\WineDbg]' '"ShowCrashDialog"=dword:00000000' \
    '' '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]' '"Decorated"="N"' >"$settings"
  WINEPREFIX="$prefix" wine regedit /S "$(WINEPREFIX="$prefix" winepath -w "$settings")" >/dev/null 2>&1
  rm -f "$settings"
  WINEPREFIX="$prefix" wineserver -w
}

stop_prefix() {
  # No server running is not an error (set -e would stop here otherwise).
  if [ -d "$1" ]; then WINEPREFIX="$1" wineserver -k >/dev/null 2>&1 || true; fi
}

# Starts a private X server and exports DISPLAY, unless $1 is "keep" and a
# display is already set.
XVFB_PID=
start_display() {
  if [ "${1:-}" = keep ] && [ -n "${DISPLAY:-}" ]; then return 0; fi
  local fdfile
  fdfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fdfile" >/dev/null 2>&1 &
  XVFB_PID=$!
  local i
  for i in $(seq 100); do [ -s "$fdfile" ] && break; sleep 0.1; done
  export DISPLAY=":$(head -n1 "$fdfile")"
  rm -f "$fdfile"
}

stop_display() {
  if [ -n "$XVFB_PID" ]; then kill "$XVFB_PID" 2>/dev/null || true; fi
  XVFB_PID=
  return 0
}
