#!/usr/bin/env bash
# Runs Preflect.exe from a program folder inside a fresh Xvfb, waits for its
# check window (or for it to end), saves a screenshot, and ends it.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

if [ "${1:-}" != "--inside" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" --inside "$@"
fi
folder=$2
shot=$3

cd "$folder"
wine Preflect.exe &
pid=$!
seen=""
for _ in $(seq 1 300); do
  if xwininfo -root -tree 2>/dev/null | grep -q '"Zantrix Preflect": ("preflect.exe"'; then
    seen=1
    break
  fi
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if [ -n "$seen" ]; then
  sleep "${SHOT_DELAY:-1}"
  import -window root "$shot" && echo "demo: screenshot saved to ${shot#$ROOT/}"
else
  wait "$pid"
  echo "demo: Preflect ended (exit code $?) without showing its check window"
fi
wineserver -k 2>/dev/null || true
