# Shared by the scripts: paths, Wine environment, small helpers.
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
BUILD="$ROOT/build"

# Each Windows build runs under the loader of its own bitness, in an
# isolated prefix of that kind under build/, with no prompts and no crash
# dialog; HOME too, since Wine links the user's folders to it.
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export HOME="$BUILD/home"

# Whether this machine can run 32-bit Wine: some kernels cannot run 32-bit
# Linux programs at all ("Exec format error"). PREFLECT_WINE_BITS=64 makes
# the answer "no", so the 64-bit-only case can be tried on any machine.
can_run_wine32() {
  [ "${PREFLECT_WINE_BITS:-}" != 64 ] && /usr/lib/wine/wine --version >/dev/null 2>&1
}

# Why the answer above is what it is, for the scripts' first lines.
wine32_reason() {
  if [ "${PREFLECT_WINE_BITS:-}" = 64 ]; then
    echo "PREFLECT_WINE_BITS=64"
  elif [ ! -x /usr/lib/wine/wine ]; then
    echo "no 32-bit Wine installed"
  elif /usr/lib/wine/wine --version >/dev/null 2>&1; then
    echo "this machine runs 32-bit Wine"
  else
    echo "this kernel cannot run 32-bit programs: $(/usr/lib/wine/wine --version 2>&1 | head -n1)"
  fi
}

# Selects the Windows build whose programs the Wine calls below run: 32 (the
# shipped build, build/wineprefix) or 64 (build/wineprefix64). The loader
# is named explicitly: /usr/bin/wine and wineboot pick the 32-bit one
# whenever it is installed.
use_wine() {
  export PREFLECT_WINE_ACTIVE=$1
  if [ "$1" = 64 ]; then
    export WINEPREFIX="$BUILD/wineprefix64" WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64
  else
    export WINEPREFIX="$BUILD/wineprefix" WINEARCH=win32 WINELOADER=/usr/lib/wine/wine
  fi
  WINE=$WINELOADER
  WINBIN="$BUILD/win$1/bin"
}

# The scripts that run one build (demo, screenshots, benchmarks) run the
# shipped 32-bit one where it can run; a calling script's choice is kept.
if [ -n "${PREFLECT_WINE_ACTIVE:-}" ]; then
  use_wine "$PREFLECT_WINE_ACTIVE"
elif can_run_wine32; then
  use_wine 32
else
  use_wine 64
fi

# One line saying which build the script runs and why.
say_wine_build() {
  if [ "$PREFLECT_WINE_ACTIVE" = 32 ]; then
    echo "wine: running the shipped 32-bit build (win32) under 32-bit Wine"
  else
    echo "wine: running the 64-bit test build (win64) under 64-bit Wine ($(wine32_reason))"
  fi
}

jobs() { echo 2; }

# Builds one preset quietly; the log stays in build/<preset>.log.
build_preset() {
  local preset=$1; shift
  mkdir -p "$BUILD"
  echo "build: $preset"
  if ! { cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" -j "$(jobs)" "$@"; } \
      >"$BUILD/$preset.log" 2>&1; then
    tail -n 40 "$BUILD/$preset.log"
    echo "build: $preset failed (log: build/$preset.log)"
    return 1
  fi
}

# Creates the Wine prefix once; later calls only wait for the server.
# `wine_init desktop` is for a person's display with a window manager;
# otherwise Wine manages the windows itself, as there is none under Xvfb
# (left to an absent manager, hiding or closing a window takes seconds,
# and windows have no title bars).
wine_init() {
  local managed=N
  [ "${1:-}" = desktop ] && managed=Y
  mkdir -p "$HOME"
  if [ ! -f "$WINEPREFIX/.initialised" ]; then
    echo "wine: initialising $WINEPREFIX"
    rm -rf "$WINEPREFIX"
    "$WINE" wineboot -i >/dev/null 2>&1 || true
    wineserver -w
    "$WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.initialised"
  fi
  if [ "$(cat "$WINEPREFIX/.managed" 2>/dev/null)" != "$managed" ]; then
    "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d "$managed" /f >/dev/null 2>&1
    wineserver -w
    echo "$managed" > "$WINEPREFIX/.managed"
  fi
  browser_hook
  font_links
}

# Japanese and Chinese texts drawn in the programs' face come out in a
# font that has the glyphs, as Windows' font linking does for it; the
# font is Debian's (set-up installs it).
font_links() {
  [ -f "$WINEPREFIX/.font-links" ] && return
  local face
  for face in "Microsoft Sans Serif" "Liberation Sans" "Tahoma" "MS Shell Dlg" "MS Shell Dlg 2"; do
    "$WINE" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
      /v "$face" /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f >/dev/null 2>&1
  done
  wineserver -w
  touch "$WINEPREFIX/.font-links"
}

# Web addresses the programs open are not sent to a browser but appended,
# one a line, to build/browser-hook.log, where the GUI tests read them.
browser_hook() {
  local hook="$BUILD/browser-hook"
  if [ ! -x "$hook" ]; then
    printf '#!/bin/sh\n# The address is the last argument.\nfor a; do last=$a; done\necho "$last" >> "%s"\n' \
      "$BUILD/browser-hook.log" > "$hook"
    chmod +x "$hook"
  fi
  if [ ! -f "$WINEPREFIX/.browser-hook" ]; then
    "$WINE" reg add 'HKCU\Software\Wine\WineBrowser' /v Browsers /t REG_SZ /d "$hook" /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.browser-hook"
  fi
}

# The Windows path of a Unix path (Wine maps Z: to /).
winpath() { echo "Z:${1//\//\\}"; }
