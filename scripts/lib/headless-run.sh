#!/usr/bin/env bash
# Inside a fresh Xvfb, walks through the demo program folder as a user
# would and saves a screenshot at each step: build/demo/<step>.png, the
# first of them also as build/demo/preflect.png.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

if [ "${1:-}" != "--inside" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" --inside "$@"
fi
folder=$2
walker=$3
shift 3

first=""
status=0
while IFS= read -r line; do
  line=${line%$'\r'}
  case "$line" in
    "shot: "*)
      name=${line#shot: }
      import -window root "$folder/$name.png"
      if [ -z "$first" ]; then
        cp "$folder/$name.png" "$folder/preflect.png"
        first=1
        echo "demo: screenshot saved to ${folder#$ROOT/}/preflect.png"
      else
        echo "demo: screenshot saved to ${folder#$ROOT/}/$name.png"
      fi
      ;;
    *) echo "$line" ;;
  esac
done < <(cd "$folder" && "$WINE" "$walker" "$(winpath "$folder")" "$@" 2>/dev/null; echo "demo: walkthrough ended ($?)")
wineserver -k 2>/dev/null || true
exit $status
