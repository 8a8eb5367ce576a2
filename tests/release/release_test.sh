#!/usr/bin/env bash
# Builds the release into a temporary folder and checks what a vendor and a
# packager take away: the archive holds exactly its files, the checksums
# hold, the Debian package unpacks to a tool of the version the Windows
# tool's version resource carries, with its man page, and passes Debian's
# checks; a second release from a copy of the tree in another folder is the
# same to the byte, signed with a throwaway key as unsigned; the SARIF the
# tool writes passes Microsoft's validator. Ends with "N passed, N failed".
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
release() {  # FOLDER-OF-THE-TREE OUTDIR [VAR=VALUE...]
  local tree=$1 dest=$2
  shift 2
  env "$@" "$tree/scripts/release" "$dest" >"$out/log" 2>&1 || { cat "$out/log"; echo "0 passed, 1 failed"; exit 1; }
}

# The tree as it is, in another folder, with a build of its own.
mkdir -p "$out/copy"
tar -C "$ROOT" --exclude=./build -cf - . | tar -C "$out/copy" -xf -
# A throwaway code-signing certificate and its key in PKCS#12.
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$out/key.pem" -out "$out/cert.pem" -days 7 \
  -subj "/CN=Zantrix Test Signing" -addext "extendedKeyUsage=codeSigning" >/dev/null 2>&1
openssl pkcs12 -export -inkey "$out/key.pem" -in "$out/cert.pem" -out "$out/key.p12" \
  -passout pass:throwaway >/dev/null 2>&1
signing=(PREFLECT_SIGN_PKCS12="$out/key.p12" PREFLECT_SIGN_PASSWORD=throwaway PREFLECT_SIGN_CAFILE="$out/cert.pem")

release "$ROOT" "$out/r"
check "an unsigned release says so" 'grep -q "release: unsigned" "$out/log"'
release "$out/copy" "$out/r2"
check "a release from another folder is the same to the byte" 'cmp -s "$out/r/SHA256SUMS" "$out/r2/SHA256SUMS"'
release "$ROOT" "$out/s" "${signing[@]}"
release "$out/copy" "$out/s2" "${signing[@]}"
check "signed releases with one key are the same to the byte" 'cmp -s "$out/s/SHA256SUMS" "$out/s2/SHA256SUMS"'
unzip -q "$out/s/"Preflect-*-win32.zip -d "$out/signed"
for p in Preflect Linkora PreflectCheck; do
  check "$p.exe carries a SHA-256 Authenticode signature that verifies" \
    'osslsigncode verify -CAfile "$out/cert.pem" -in "$out/signed/$p.exe" >"$out/v.log" 2>&1 && grep -qi "sha256" "$out/v.log"'
done

cd "$out/r"
zip=$(ls Preflect-*-win32.zip)
deb=$(ls preflect-check_*.deb)
check "the archive holds exactly its files" \
  '[ "$(unzip -Z1 "$zip" | tr "\n" " ")" = "Preflect.exe Linkora.exe PreflectCheck.exe preflect-check-run.schema.json README-packagers.txt " ]'
check "SHA256SUMS covers both and holds" \
  'sha256sum -c --quiet SHA256SUMS && [ "$(awk "{print \$2}" SHA256SUMS | sort | tr "\n" " ")" = "$zip $deb " ]'
unzip -q "$zip" -d "$out/win"
sections=$(i686-w64-mingw32-objdump -h "$out/win/Preflect.exe")
headers=$(i686-w64-mingw32-objdump -p "$out/win/Linkora.exe")
check "the programs are stripped, with no link time and no build path" \
  '! grep -q debug <<<"$sections" && grep -q "Time/Date.*1970" <<<"$headers" && ! grep -aq "$ROOT" "$out/win/"*.exe'

# The Windows tool's version as its version resource holds it (UTF-16),
# against the packaged tool's --version and the file names.
resource=$(strings -el "$out/win/PreflectCheck.exe" | grep -A1 -x FileVersion | tail -n1)
dpkg-deb -x "$deb" "$out/deb"
native=$("$out/deb/usr/bin/preflect-check" --version | awk '{print $2}')
check "one version: resource '$resource', tool '$native', $zip, $deb" \
  '[ -n "$resource" ] && [ "$resource" = "$native" ] && [ "$zip" = "Preflect-$native-win32.zip" ] && [[ "$deb" == preflect-check_${native}_*.deb ]]'
check "the man page is the tool's help" \
  'zcat "$out/deb/usr/share/man/man1/preflect-check.1.gz" | grep -q "lint \[--json | --sarif\]"'
lintian --pedantic "$deb" >"$out/lintian.txt" 2>&1
check "lintian gives no error or warning" '! grep -E "^[EW]: " "$out/lintian.txt"'
hardening-check "$out/deb/usr/bin/preflect-check" >"$out/hardening.txt" 2>&1
check "hardening-check: stack protector, fortify, RELRO, immediate binding" \
  '[ "$(grep -cE "^ (Stack protected|Fortify Source functions|Read-only relocations|Immediate binding): yes" "$out/hardening.txt")" = 4 ]'
printf '<product name="A"><registryEntry root="HKLM" key="K" type="REG_SZ"/></product>\n' >"$out/f.xml"
"$out/deb/usr/bin/preflect-check" lint "$out/f.xml" >"$out/lint.txt" 2>&1
status=$?
check "the packaged tool lints" '[ $status = 1 ] && grep -q unknown-root "$out/lint.txt"'
mkdir -p "$out/pin/Installers"
printf 'MZ an installer' >"$out/pin/Installers/Setup.exe"
printf '<product name="A"><remedy location="%%ZANTRIXDIR%%\\Installers\\Setup.exe"/></product>\r\n' >"$out/pin/filespecs.xml"
"$out/deb/usr/bin/preflect-check" pin "$out/pin" >/dev/null 2>&1
check "the packaged tool pins what sha256sum gives, through the library the package depends on" \
  'grep -q "sha256=\"$(sha256sum <"$out/pin/Installers/Setup.exe" | cut -c1-64)\"" "$out/pin/filespecs.xml" &&
   dpkg-deb -f "$deb" Depends | grep -q libnettle'

# Microsoft's SARIF validator, from the npm registry once, on a path given
# with "..".
tools="$ROOT/build/tools/sarif"
if [ -x "$tools/node_modules/.bin/sarif-multitool" ] ||
   { mkdir -p "$tools" && (cd "$tools" && npm install --no-audit --no-fund @microsoft/sarif-multitool >/dev/null 2>&1) &&
     chmod u+x "$tools"/node_modules/@microsoft/sarif-multitool-linux/Sarif.Multitool; }; then
  mkdir -p "$out/sub"
  (cd "$out/sub" && "$out/deb/usr/bin/preflect-check" lint --sarif ../f.xml >"$out/f.sarif")
  (cd "$tools" && npx --no-install sarif-multitool validate "$out/f.sarif" >"$out/sarif.txt" 2>&1)
  check "the SARIF validator gives no error or warning" \
    'grep -q "Analysis completed successfully" "$out/sarif.txt" && ! grep -qE ": (error|warning) SARIF" "$out/sarif.txt"'
else
  echo "note: the SARIF validator could not be installed from the npm registry; not checked"
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
