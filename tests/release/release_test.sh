#!/usr/bin/env bash
# Builds the release into a temporary folder and checks what a vendor and a
# packager take away: the archive holds exactly its files, the checksums
# hold, the Debian package unpacks to a tool of the version the Windows
# tool's version resource carries, with its man page. Ends with
# "N passed, N failed".
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

passed=0
failed=0
check() {
  local name=$1 why=$2; shift 2
  if "$@"; then passed=$((passed + 1)); echo "ok - $name"
  else failed=$((failed + 1)); echo "not ok - $name: $why"; fi
}

if ! "$ROOT/scripts/release" "$out/r" >"$out/log" 2>&1; then
  cat "$out/log"
  echo "not ok - release: scripts/release failed"
  echo "0 passed, 1 failed"
  exit 1
fi
cd "$out/r"
zip=$(ls Preflect-*-win32.zip 2>/dev/null)
deb=$(ls preflect-check_*.deb 2>/dev/null)
if [ -z "$zip" ] || [ -z "$deb" ]; then
  echo "not ok - release: no archive or no package in: $(ls)"
  echo "$passed passed, $((failed + 1)) failed"
  exit 1
fi

expected=$'Linkora.exe\nPreflect.exe\nPreflectCheck.exe\nREADME-packagers.txt\npreflect-check-run.schema.json'
listed=$(unzip -Z1 "$zip" | sort)
check "the archive holds exactly its files" "$listed" [ "$listed" = "$expected" ]
check "SHA256SUMS holds" "$(sha256sum -c SHA256SUMS 2>&1)" sha256sum -c --quiet SHA256SUMS
summed=$(awk '{print $2}' SHA256SUMS | sort | tr '\n' ' ')
check "SHA256SUMS covers both" "$summed" [ "$summed" = "$(printf '%s\n' "$zip" "$deb" | sort | tr '\n' ' ')" ]

# The Windows tool's version, as its version resource holds it (UTF-16).
unzip -q "$zip" PreflectCheck.exe -d "$out/win"
resource=$(strings -el "$out/win/PreflectCheck.exe" | grep -A1 -x FileVersion | tail -n1)
dpkg-deb -x "$deb" "$out/deb"
native=$("$out/deb/usr/bin/preflect-check" --version | awk '{print $2}')
check "the package's tool has the Windows tool's version" "resource '$resource', tool '$native'" \
  eval '[ -n "$resource" ] && [ "$resource" = "$native" ]'
check "the file names carry that version" "$zip $deb" \
  eval '[ "$zip" = "Preflect-$native-win32.zip" ] && [[ "$deb" == preflect-check_${native}_*.deb ]]'
check "the man page is in the package" "$(dpkg-deb -c "$deb")" \
  test -s "$out/deb/usr/share/man/man1/preflect-check.1.gz"
check "the man page is the tool's help" "no lint in it" \
  eval 'zcat "$out/deb/usr/share/man/man1/preflect-check.1.gz" | grep -q "lint \[--json | --sarif\]"'
check "the packaged tool lints" "no diagnostics" \
  eval 'printf "<product name=\"A\"><registryEntry root=\"HKLM\" key=\"K\" type=\"REG_SZ\"/></product>\n" >"$out/f.xml"; "$out/deb/usr/bin/preflect-check" lint "$out/f.xml" >"$out/lint.txt" 2>&1; [ $? = 1 ] && grep -q unknown-root "$out/lint.txt"'

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
