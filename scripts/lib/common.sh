# Shared by the scripts: paths, Wine environment, small helpers.
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
BUILD="$ROOT/build"

# An isolated 32-bit prefix under build/, with no prompts and no crash
# dialog; HOME too, since Wine links the user's folders to it.
export WINEPREFIX="$BUILD/wineprefix"
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export HOME="$BUILD/home"

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
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.initialised"
  fi
  if [ "$(cat "$WINEPREFIX/.managed" 2>/dev/null)" != "$managed" ]; then
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d "$managed" /f >/dev/null 2>&1
    wineserver -w
    echo "$managed" > "$WINEPREFIX/.managed"
  fi
  browser_hook
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
    wine reg add 'HKCU\Software\Wine\WineBrowser' /v Browsers /t REG_SZ /d "$hook" /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.browser-hook"
  fi
}

# The Windows path of a Unix path (Wine maps Z: to /).
winpath() { echo "Z:${1//\//\\}"; }
