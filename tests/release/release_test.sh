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
  if eval "$2"; then passed=$((passed + 1)); echo "ok - $1"
  else failed=$((failed + 1)); echo "not ok - $1"; fi
}

"$ROOT/scripts/release" "$out/r" >"$out/log" 2>&1 || { cat "$out/log"; echo "0 passed, 1 failed"; exit 1; }
cd "$out/r"
zip=$(ls Preflect-*-win32.zip)
deb=$(ls preflect-check_*.deb)

check "the archive holds exactly its files" \
  '[ "$(unzip -Z1 "$zip" | sort | tr "\n" " ")" = "Linkora.exe Preflect.exe PreflectCheck.exe README-packagers.txt preflect-check-run.schema.json " ]'
check "SHA256SUMS covers both and holds" \
  'sha256sum -c --quiet SHA256SUMS && [ "$(awk "{print \$2}" SHA256SUMS | sort | tr "\n" " ")" = "$zip $deb " ]'

# The Windows tool's version as its version resource holds it (UTF-16),
# against the packaged tool's --version and the file names.
unzip -q "$zip" PreflectCheck.exe -d "$out/win"
resource=$(strings -el "$out/win/PreflectCheck.exe" | grep -A1 -x FileVersion | tail -n1)
dpkg-deb -x "$deb" "$out/deb"
native=$("$out/deb/usr/bin/preflect-check" --version | awk '{print $2}')
check "one version: resource '$resource', tool '$native', $zip, $deb" \
  '[ -n "$resource" ] && [ "$resource" = "$native" ] && [ "$zip" = "Preflect-$native-win32.zip" ] && [[ "$deb" == preflect-check_${native}_*.deb ]]'
check "the man page is the tool's help" \
  'zcat "$out/deb/usr/share/man/man1/preflect-check.1.gz" | grep -q "lint \[--json | --sarif\]"'
printf '<product name="A"><registryEntry root="HKLM" key="K" type="REG_SZ"/></product>\n' >"$out/f.xml"
"$out/deb/usr/bin/preflect-check" lint "$out/f.xml" >"$out/lint.txt" 2>&1
status=$?
check "the packaged tool lints" '[ $status = 1 ] && grep -q unknown-root "$out/lint.txt"'

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
