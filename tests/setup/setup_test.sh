#!/usr/bin/env bash
# Set-up against stand-in apt-get, dpkg and dpkg-query on PATH: an index
# that fails, an optional or a required package that cannot be installed,
# nothing missing. Runs a copy of scripts/setup in a scratch tree, so its
# stamp never touches the real build folder. Ends with "N passed, N failed".
set -uo pipefail
SETUP="$(cd "$(dirname "$0")/../.." && pwd)/scripts/setup"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# The packages set-up asks for, read from the script itself.
all_packages() {
  awk '/^(required|optional)=\(/ {on = 1} on {print} on && /\)/ {on = 0}' "$SETUP" \
    | sed -E 's/^[a-z]+=\(//; s/\).*//; s/#.*//' | tr -s ' \n' '\n' | sed '/^$/d'
}

# The stand-ins keep their state in $FAKE: installed, archs, calls, and
# update-fails and broken (packages apt cannot install) as the case sets.
make_standins() {
  mkdir -p "$1"
  cat >"$1/dpkg-query" <<'S'
#!/usr/bin/env bash
for p; do :; done
grep -qxF "$p" "$FAKE/installed" && printf 'install ok installed'
S
  cat >"$1/dpkg" <<'S'
#!/usr/bin/env bash
[ "$1" = --print-foreign-architectures ] && cat "$FAKE/archs"
[ "$1" = --add-architecture ] && echo "$2" >>"$FAKE/archs"
exit 0
S
  # As apt does: one package that cannot be installed stops the whole set.
  cat >"$1/apt-get" <<'S'
#!/usr/bin/env bash
args=()
while [ $# -gt 0 ]; do case "$1" in -o) shift 2 ;; -*) shift ;; *) args+=("$1"); shift ;; esac; done
echo "apt-get ${args[*]}" >>"$FAKE/calls"
if [ "${args[0]}" = update ] && [ -e "$FAKE/update-fails" ]; then
  echo "E: Failed to fetch http://mirror/binary-i386/Packages.xz  File has unexpected size"; exit 100
fi
for p in "${args[@]:1}"; do
  grep -qxF "$p" "$FAKE/broken" 2>/dev/null && { echo "E: Unable to correct problems ($p)."; exit 100; }
done
[ "${args[0]}" = install ] && printf '%s\n' "${args[@]:1}" >>"$FAKE/installed"
exit 0
S
  printf '#!/bin/sh\nexec "$@"\n' >"$1/sudo"
  chmod +x "$1"/*
}

passed=0
failed=0
# A case: its name, "none" or "all" installed at first, then update-fails or
# broken=<package>. Runs set-up (again with "rerun") and keeps its output.
run_setup() {
  local name=$1 start=$2; shift 2
  dir="$scratch/$name"
  mkdir -p "$dir/tree/scripts" "$dir/fake"
  cp "$SETUP" "$dir/tree/scripts/setup"
  make_standins "$dir/bin"
  export FAKE="$dir/fake"
  : >"$FAKE/installed"; : >"$FAKE/calls"; : >"$FAKE/archs"
  [ "$start" = all ] && all_packages >"$FAKE/installed"
  for f; do case "$f" in broken=*) echo "${f#broken=}" >>"$FAKE/broken" ;; *) touch "$FAKE/$f" ;; esac; done
  rerun
}
rerun() {
  PATH="$dir/bin:$PATH" PREFLECT_SETUP_RETRY_PAUSE=0 bash "$dir/tree/scripts/setup" >"$dir/out" 2>&1
  rc=$?
}
check() {
  if eval "$2"; then passed=$((passed + 1)); echo "ok - $1"
  else failed=$((failed + 1)); echo "not ok - $1"; sed 's/^/    /' "$dir/out" "$FAKE/calls"; fi
}
said() { grep -qF -- "$1" "$dir/out"; }
has() { grep -qxF "$1" "$FAKE/installed"; }
required_installed() {
  local p
  for p in $(all_packages); do [ "$p" = wine32:i386 ] || has "$p" || return 1; done
}
updates() { grep -c 'apt-get update' "$FAKE/calls"; }

# (a) One index fails on every try: retried once, said, everything installed.
run_setup index-fails none update-fails
check "index fails: set-up goes on, retried once, says so" \
  '[ $rc = 0 ] && [ "$(updates)" = 2 ] && said "some package lists could not be fetched (Failed to fetch"'
check "index fails: everything installed" 'required_installed && has wine32:i386'

# (b) 32-bit Wine cannot be installed: the required packages are, one line
# says what follows, and a second run does not try again.
run_setup no-wine32 none broken=wine32:i386
check "no 32-bit Wine: set-up goes on with the required packages" \
  '[ $rc = 0 ] && required_installed && grep -qx i386 "$FAKE/archs"'
check "no 32-bit Wine: one line says so" \
  'said "32-bit Wine could not be installed (Unable to correct problems" && said "the Wine legs will run the 64-bit build"'
: >"$FAKE/calls"
rerun
check "no 32-bit Wine: a second run is quick" '[ $rc = 0 ] && [ ! -s "$FAKE/calls" ]'

# (c) A required package cannot be installed: set-up fails, naming it alone.
run_setup no-xvfb none broken=xvfb
check "required missing: set-up fails and names it" \
  '[ $rc != 0 ] && said "cannot install the required package xvfb: Unable to correct problems" && [ "$(grep -c "cannot install" "$dir/out")" = 1 ] && has cmake'

# (d) Nothing missing: no package tool is asked for anything; nothing said.
run_setup nothing-missing all
check "nothing missing: nothing installed, nothing said" '[ $rc = 0 ] && [ ! -s "$FAKE/calls" ] && [ ! -s "$dir/out" ]'

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
