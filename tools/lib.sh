# Shared by tools/run, tools/test and tools/bench: set-up, build, Wine and X.
# Sourced, not run.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD="$ROOT/build"
JOBS=${JOBS:-$(nproc)}
LOGS="$BUILD/wine"  # prefix and X server logs, beside the prefixes

# Debian packages the project needs, as dpkg names them.
PACKAGES=(cmake make g++ googletest libgtest-dev
          g++-mingw-w64-i686-posix g++-mingw-w64-i686-win32 binutils-mingw-w64-i686
          g++-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-win32 binutils-mingw-w64-x86-64
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

WINE32=/usr/lib/wine/wine    # Wine's 32-bit loader: needs a kernel that runs 32-bit x86 code
WINE64=/usr/lib/wine/wine64
# The loader for a prefix of architecture $1 (win32 unless given).
wine_loader() { if [ "${1:-win32}" = win64 ]; then echo "$WINE64"; else echo "$WINE32"; fi; }

# Which Windows programs this host can run, and so which configuration the
# Windows tests build and drive. Sets WINE_ARCH (win32: the 32-bit programs
# under Wine's 32-bit loader; win64: 64-bit builds of them under wine64),
# WINE (the loader) and WINDOWS_BUILD, and prints one line saying which and
# why. SCOURWELL_WINE_ARCH=win64 forces the 64-bit path on any host.
choose_wine_mode() {
  local answer why
  answer=$("$WINE32" --version 2>&1 | head -n1) && [[ $answer == wine-* ]] || answer="failed: ${answer:-no output}"
  case "${SCOURWELL_WINE_ARCH:-}" in
    "")
      if [[ $answer == wine-* ]]; then
        WINE_ARCH=win32 why="this host runs 32-bit x86 code ($WINE32 --version: $answer)"
      else
        WINE_ARCH=win64 why="this host cannot run 32-bit x86 code ($WINE32 --version $answer)"
      fi ;;
    win64) WINE_ARCH=win64 why="forced by SCOURWELL_WINE_ARCH=win64" ;;
    win32)
      if [[ $answer != wine-* ]]; then
        echo "SCOURWELL_WINE_ARCH=win32, but this host cannot run 32-bit x86 code ($WINE32 --version $answer)" >&2
        exit 1
      fi
      WINE_ARCH=win32 why="forced by SCOURWELL_WINE_ARCH=win32" ;;
    *) echo "SCOURWELL_WINE_ARCH must be win32 or win64, not '$SCOURWELL_WINE_ARCH'" >&2; exit 2 ;;
  esac
  if [ "$WINE_ARCH" = win32 ]; then
    WINE=$WINE32 WINDOWS_BUILD="$BUILD/windows"
    echo "== Wine mode: win32, the 32-bit programs under Wine's 32-bit loader: $why"
  else
    WINE=$WINE64 WINDOWS_BUILD="$BUILD/windows64"
    echo "== Wine mode: win64, 64-bit builds under wine64 in a 64-bit prefix: $why"
  fi
}

build_native() {
  cmake -S "$ROOT" -B "$BUILD/native" -DCMAKE_BUILD_TYPE=Debug >/dev/null
  cmake --build "$BUILD/native" -j "$JOBS"
}

# The Windows configuration of the chosen mode; all targets, or those named.
build_windows() {
  local toolchain=mingw-i686.cmake target args=()
  [ "$WINE_ARCH" = win64 ] && toolchain=mingw-x86_64.cmake
  for target in "$@"; do args+=(--target "$target"); done
  cmake -S "$ROOT" -B "$WINDOWS_BUILD" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/$toolchain" >/dev/null
  cmake --build "$WINDOWS_BUILD" -j "$JOBS" "${args[@]}"
}

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

# Says what failed and shows the end of its log, then ends the script.
fail_with_log() {
  echo "FAILED: $1" >&2
  if [ -s "$2" ]; then
    echo "Last lines of $2:" >&2
    tail -n 25 "$2" | sed 's/^/  | /' >&2
  fi
  exit 1
}

# A new, private Wine prefix at $1 (removed first if it exists); $2 is the
# architecture, win32 unless given. Wine's output goes to $LOGS/<name>.log.
make_prefix() {
  local prefix=$1 arch=${2:-win32} loader
  loader=$(wine_loader "$arch")
  local log="$LOGS/$(basename "$prefix").log"
  stop_prefix "$prefix"
  rm -rf "$prefix"
  mkdir -p "$(dirname "$prefix")" "$LOGS"
  : >"$log"
  WINEPREFIX="$prefix" WINEARCH="$arch" "$loader" wineboot --init >>"$log" 2>&1 ||
    fail_with_log "making the $arch Wine prefix $prefix" "$log"
  # A crash prints its backtrace and ends instead of waiting in a dialog;
  # windows get their title bar from Wine, as there is no window manager.
  local settings="$prefix/test-settings.reg"
  printf '%s\r\n' 'REGEDIT4' '' '[HKEY_CURRENT_USER\Software\Wine\WineDbg]' '"ShowCrashDialog"=dword:00000000' \
    '' '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]' '"Decorated"="N"' >"$settings"
  WINEPREFIX="$prefix" "$loader" regedit /S "$(WINEPREFIX="$prefix" "$loader" winepath -w "$settings" 2>>"$log")" \
    >>"$log" 2>&1 || fail_with_log "writing the test settings into $prefix" "$log"
  rm -f "$settings"
  WINEPREFIX="$prefix" wineserver -w >>"$log" 2>&1
  [ -f "$prefix/system.reg" ] || fail_with_log "making $prefix: Wine wrote no registry there" "$log"
  grep -q '"Decorated"="N"' "$prefix/user.reg" ||
    fail_with_log "writing the test settings into $prefix: they are not in its registry" "$log"
}

# Keeps the prefix's Wine server and its background programs running from now
# until stop_prefix, started here rather than by the first test. Otherwise
# every test program starts them anew, and CTest, which waits until nothing
# holds a test's output any more, waits for them to end after every test.
keep_prefix_running() {
  local prefix=$1 loader
  loader=$(wine_loader "${2:-}")
  local log="$LOGS/$(basename "$prefix").log"
  WINEPREFIX="$prefix" wineserver -p >>"$log" 2>&1 || fail_with_log "starting the Wine server of $prefix" "$log"
  WINEPREFIX="$prefix" "$loader" cmd /c exit </dev/null >>"$log" 2>&1 ||
    fail_with_log "starting the programs of $prefix" "$log"
}

stop_prefix() {
  # No server running is not an error (set -e would stop here otherwise).
  if [ -n "${1:-}" ] && [ -d "$1" ]; then WINEPREFIX="$1" wineserver -k >/dev/null 2>&1 || true; fi
}

# Starts a private X server and exports DISPLAY, unless $1 is "keep" and a
# display is already set. Its output goes to $LOGS/xvfb.log.
XVFB_PID=
start_display() {
  if [ "${1:-}" = keep ] && [ -n "${DISPLAY:-}" ]; then return 0; fi
  mkdir -p "$LOGS"
  local log="$LOGS/xvfb.log" fdfile i
  fdfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fdfile" >"$log" 2>&1 &
  XVFB_PID=$!
  for i in $(seq 100); do
    [ -s "$fdfile" ] && break
    kill -0 "$XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  local number
  number=$(head -n1 "$fdfile")
  rm -f "$fdfile"
  if [ -z "$number" ] || ! kill -0 "$XVFB_PID" 2>/dev/null; then
    XVFB_PID=
    fail_with_log "starting the private X server (Xvfb)" "$log"
  fi
  export DISPLAY=":$number"
}

stop_display() {
  if [ -n "$XVFB_PID" ]; then kill "$XVFB_PID" 2>/dev/null || true; fi
  XVFB_PID=
  return 0
}

# Runs the caller's `cleanup` function however the script ends: normally, on
# an error, or on Ctrl-C, kill or a closed terminal.
trap_cleanup() {
  trap cleanup EXIT
  trap 'exit 129' HUP
  trap 'exit 130' INT
  trap 'exit 143' TERM
}
