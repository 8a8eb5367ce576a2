#!/usr/bin/env bash
# Set-up against stand-in apt-get, dpkg and dpkg-query on PATH: an index
# that fails, an optional or a required package that cannot be installed,
# nothing missing. Runs a copy of scripts/setup in a scratch tree, so its
# stamp never touches the real build folder. Ends with "N passed, N failed".
set -uo pipefail
HERE="$(cd "$(dirname "$0")" && pwd)"
SETUP="$HERE/../../scripts/setup"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# The packages set-up asks for, read from the script itself.
all_packages() {
  awk '/^(required|optional)=\(/ {on = 1} on {print} on && /\)/ {on = 0}' "$SETUP" \
    | sed -E 's/^[a-z]+=\(//; s/\).*//; s/#.*//' | tr -s ' \n' '\n' | sed '/^$/d'
}

make_standins() {
  local bin=$1
  mkdir -p "$bin"
  cat >"$bin/dpkg-query" <<'S'
#!/usr/bin/env bash
for p; do :; done
if grep -qxF "$p" "$FAKE/installed"; then printf 'install ok installed'; exit 0; fi
echo "dpkg-query: no packages found matching $p" >&2; exit 1
S
  cat >"$bin/dpkg" <<'S'
#!/usr/bin/env bash
case "$1" in
  --print-foreign-architectures) cat "$FAKE/archs" ;;
  --add-architecture) echo "$2" >>"$FAKE/archs"; echo "dpkg --add-architecture $2" >>"$FAKE/calls" ;;
esac
S
  cat >"$bin/apt-get" <<'S'
#!/usr/bin/env bash
args=()
while [ $# -gt 0 ]; do
  case "$1" in -o) shift 2 ;; -*) shift ;; *) args+=("$1"); shift ;; esac
done
echo "apt-get ${args[*]}" >>"$FAKE/calls"
case "${args[0]}" in
  update)
    if [ -e "$FAKE/update-fails" ]; then
      echo "E: Failed to fetch http://mirror/dists/x/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress?"
      echo "E: Some index files failed to download. They have been ignored, or old ones used instead."
      exit 100
    fi ;;
  install)
    # As apt does: one package that cannot be installed stops the whole set.
    for p in "${args[@]:1}"; do
      if grep -qxF "$p" "$FAKE/broken" 2>/dev/null; then
        echo "E: Unable to correct problems, you have held broken packages ($p)."; exit 100
      fi
    done
    printf '%s\n' "${args[@]:1}" >>"$FAKE/installed" ;;
esac
S
  printf '#!/bin/sh\nexec "$@"\n' >"$bin/sudo"
  chmod +x "$bin"/*
}

passed=0
failed=0
# Runs set-up in a fresh scratch tree. $1: the case's name; $2: what is
# installed at first ("none" or "all"); further arguments: files to create
# in the fake state (update-fails, broken=<package>).
case_dir=""
run_setup() {
  local name=$1 start=$2; shift 2
  case_dir="$scratch/$name"
  mkdir -p "$case_dir/tree/scripts" "$case_dir/fake"
  cp "$SETUP" "$case_dir/tree/scripts/setup"
  make_standins "$case_dir/bin"
  export FAKE="$case_dir/fake"
  : >"$FAKE/installed"; : >"$FAKE/calls"; : >"$FAKE/archs"
  if [ "$start" = all ]; then all_packages >"$FAKE/installed"; echo i386 >"$FAKE/archs"; fi
  for f; do
    case "$f" in broken=*) echo "${f#broken=}" >>"$FAKE/broken" ;; *) touch "$FAKE/$f" ;; esac
  done
  rerun_setup
}
rerun_setup() {
  PATH="$case_dir/bin:$PATH" PREFLECT_SETUP_RETRY_PAUSE=0 \
    bash "$case_dir/tree/scripts/setup" >"$case_dir/out" 2>&1
  echo $? >"$case_dir/rc"
}

check() {
  local name=$1 why=$2; shift 2
  if "$@"; then
    passed=$((passed + 1)); echo "ok - $name"
  else
    failed=$((failed + 1)); echo "not ok - $name: $why"; sed 's/^/    /' "$case_dir/out"
  fi
}
rc_is() { [ "$(cat "$case_dir/rc")" = "$1" ]; }
said() { grep -qF -- "$1" "$case_dir/out"; }
has() { grep -qxF "$1" "$FAKE/installed"; }
all_required_installed() {
  local p
  for p in $(all_packages); do [ "$p" = wine32:i386 ] || has "$p" || return 1; done
}
calls() { grep -c "$1" "$FAKE/calls"; }

# (a) One index fails on every try: retried once, said, and everything
# installed from the lists that came.
run_setup index-fails none update-fails
check "index fails: set-up goes on" "exit $(cat "$case_dir/rc")" rc_is 0
check "index fails: retried once" "$(calls 'apt-get update') updates" [ "$(calls 'apt-get update')" = 2 ]
check "index fails: one line says so" "no line about the lists" said "some package lists could not be fetched (Failed to fetch"
check "index fails: everything installed" "packages missing" eval 'all_required_installed && has wine32:i386'

# (b) 32-bit Wine cannot be installed: the required packages are, and the
# one line says what follows; a second run does not try again.
run_setup no-wine32 none broken=wine32:i386
check "no 32-bit Wine: set-up goes on" "exit $(cat "$case_dir/rc")" rc_is 0
check "no 32-bit Wine: required packages installed" "required packages missing" all_required_installed
check "no 32-bit Wine: one line says so" "no line about 32-bit Wine" \
  said "32-bit Wine could not be installed (Unable to correct problems"
check "no 32-bit Wine: the legs are named" "no word of the 64-bit build" \
  said "the Wine legs will run the 64-bit build"
check "no 32-bit Wine: i386 added first" "no architecture added" grep -qx i386 "$FAKE/archs"
: >"$FAKE/calls"
rerun_setup
check "no 32-bit Wine: a second run is quick" "$(cat "$FAKE/calls")" eval '[ ! -s "$FAKE/calls" ] && rc_is 0 && said "could not be installed earlier"'

# (c) A required package cannot be installed: set-up fails and names it,
# and no other package is blamed.
run_setup no-xvfb none broken=xvfb
check "required missing: set-up fails" "exit $(cat "$case_dir/rc")" eval '! rc_is 0'
check "required missing: the package is named" "xvfb not named" \
  said "cannot install the required package xvfb: Unable to correct problems"
check "required missing: only that one" "$(grep -c 'cannot install' "$case_dir/out") lines" \
  [ "$(grep -c 'cannot install' "$case_dir/out")" = 1 ]
check "required missing: the others installed" "cmake missing" has cmake

# (d) Nothing missing: no package tool is asked for anything, and nothing
# is printed.
run_setup nothing-missing all
check "nothing missing: nothing installed" "$(cat "$FAKE/calls")" eval '[ ! -s "$FAKE/calls" ] && rc_is 0'
check "nothing missing: silent" "$(cat "$case_dir/out")" eval '[ ! -s "$case_dir/out" ]'

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
