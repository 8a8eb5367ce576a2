#!/usr/bin/env bash
# Runs Preflect.exe from a program folder inside a fresh Xvfb, waits for its
# check window (or for it to end), saves a screenshot, and ends it.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
folder=$1
shot=$2

inner() {
  cd "$folder"
  wine Preflect.exe &
  local pid=$! seen=""
  for _ in $(seq 1 300); do
    if xwininfo -root -tree 2>/dev/null | grep -q '"Zantrix Preflect"'; then seen=1; break; fi
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if [ -n "$seen" ]; then
    sleep 1
    import -window root "$shot" && echo "demo: screenshot saved to ${shot#$ROOT/}"
    wineserver -k 2>/dev/null
  else
    wait "$pid"
    echo "demo: Preflect started up and ended (exit code $?); it has no check window yet"
  fi
  wineserver -k 2>/dev/null || true
}
export -f inner
export folder shot ROOT
xvfb-run -a -s "-screen 0 1024x768x24" bash -c inner
