#!/usr/bin/env bash
# Releases a committed copy of the tree and checks what a vendor and a
# packager take away: signatures by a key in SoftHSM2 or a PKCS#12 file, time
# stamps from a test authority on 127.0.0.1, no secret in ps, an environment
# or a log, scripts/verify-release against a rebuild, refusals, the archive,
# the package and Debian's and Microsoft's validators. A validator that
# cannot run fails, unless PREFLECT_RELEASE_SKIP_VALIDATORS=1 skips it.
# Ends with "N passed, N failed, N skipped".
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
out=$(mktemp -d)
tsa_pid=
cleanup() {
  [ -z "$tsa_pid" ] || kill "$tsa_pid" 2>/dev/null
  GNUPGHOME="$out/gnupg" gpgconf --kill gpg-agent 2>/dev/null
  rm -rf "$out"
}
trap cleanup EXIT

passed=0 failed=0 skipped=0
check() {
  if eval "$2"; then passed=$((passed + 1)); echo "ok - $1"
  else failed=$((failed + 1)); echo "not ok - $1"; fi
}
validator() {  # NAME: whether to run it
  [ "${PREFLECT_RELEASE_SKIP_VALIDATORS:-}" = 1 ] || return 0
  skipped=$((skipped + 1)); echo "skipped - $1 (PREFLECT_RELEASE_SKIP_VALIDATORS=1)"; return 1
}
release() {  # NAME [VAR=VALUE...]: a release of the tree into $out/NAME
  local name=$1
  shift
  env "$@" PATH="$out/spy:$PATH" "$tree/scripts/release" "$out/$name" >"$out/$name.log" 2>&1 ||
    { cat "$out/$name.log"; echo "$passed passed, $((failed + 1)) failed, $skipped skipped"; exit 1; }
}

# The tree as it is, in a repository of its own: only a commit is released.
tree="$out/tree"
mkdir -p "$tree"
tar -C "$ROOT" --exclude=./build --exclude=./.git -cf - . | tar -C "$tree" -xf -
git -C "$tree" init -q -b main && git -C "$tree" add -A &&
  git -C "$tree" -c user.name=Test -c user.email=test@zantrix.example -c commit.gpgsign=false commit -q -m "The tree under test"
cd "$out"
# A test CA; under it a code-signing key that SoftHSM2 holds, and a time-stamp
# authority: openssl ts behind a few lines of HTTP.
openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 7 -subj "/CN=Zantrix Test CA" \
  -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign >/dev/null 2>&1
issue() {  # NAME SUBJECT EXTENDED-KEY-USAGE
  openssl req -newkey rsa:2048 -nodes -keyout "$1.key" -subj "/CN=$2" 2>/dev/null |
    openssl x509 -req -CA ca.pem -CAkey ca.key -CAcreateserial -days 7 -out "$1.pem" \
      -extfile <(printf 'extendedKeyUsage=%s\nkeyUsage=critical,digitalSignature\n' "$3") >/dev/null 2>&1
}
issue signing "Zantrix Test Signing" codeSigning
issue tsa "Zantrix Test TSA" critical,timeStamping
cat signing.pem ca.pem >chain.pem
pin="pin-$RANDOM$RANDOM" password="pw-$RANDOM$RANDOM" passphrase="gpg-$RANDOM$RANDOM"
printf '%s\n' "$pin" >token.pin && printf '%s' "$password" >password && printf '%s' "$passphrase" >passphrase
openssl pkcs12 -export -inkey signing.key -in signing.pem -out key.p12 -passout file:password
export SOFTHSM2_CONF="$out/softhsm2.conf"
mkdir tokens && echo "directories.tokendir = $out/tokens" >"$SOFTHSM2_CONF"
softhsm2-util --init-token --free --label preflect --so-pin "so-$pin" --pin "$pin" >/dev/null &&
  softhsm2-util --import signing.key --token preflect --label signing --id 01 --pin "$pin" >/dev/null
module=$(dpkg -L libsofthsm2 | grep -m1 '/libsofthsm2\.so$')
printf '[tsa]\ndefault_tsa = t\n[t]\nserial = %s/tsa.serial\nsigner_cert = %s/tsa.pem\ncerts = %s/ca.pem
signer_key = %s/tsa.key\nsigner_digest = sha256\ndefault_policy = 1.2.3.4.1\ndigests = sha256, sha384, sha512
accuracy = secs:1\ness_cert_id_alg = sha256\n' "$out" "$out" "$out" "$out" >tsa.cnf
cat >tsa.py <<'PY'
import http.server, subprocess, sys
class Tsa(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        query = self.rfile.read(int(self.headers["Content-Length"]))
        reply = subprocess.run(["openssl", "ts", "-reply", "-config", sys.argv[1], "-queryfile", "/dev/stdin",
                                "-out", "/dev/stdout"], input=query, capture_output=True).stdout
        self.send_response(200 if reply else 500)
        self.send_header("Content-Type", "application/timestamp-reply")
        self.send_header("Content-Length", str(len(reply)))
        self.end_headers()
        self.wfile.write(reply)
server = http.server.HTTPServer(("127.0.0.1", 0), Tsa)
print(server.server_port, flush=True)
server.serve_forever()
PY
python3 tsa.py tsa.cnf >tsa.port 2>/dev/null &
tsa_pid=$!
for _ in $(seq 50); do [ -s tsa.port ] && break; sleep 0.1; done
export GNUPGHOME="$out/gnupg"
mkdir -m 700 "$GNUPGHOME"
gpg --batch --pinentry-mode loopback --passphrase-file passphrase \
  --quick-gen-key "Zantrix Test Release <release@zantrix.example>" ed25519 sign 7d >/dev/null 2>&1
# Stand-ins on PATH note the environment of every build step and signing,
# and ps meanwhile, then run the real tool.
mkdir spy
for t in cmake dpkg-query osslsigncode gpg; do
  printf '#!/bin/sh\ntr "\\0" "\\n" </proc/$$/environ >>"%s/env-%s"\n{ tr "\\0" "\\n" </proc/$PPID/environ; ps -eww -o args; } >>"%s/seen"\nexec "%s" "$@"\n' \
    "$out" "$t" "$out" "$(command -v "$t")" >"spy/$t"
done
chmod +x spy/*

p12_key="PREFLECT_SIGN_PKCS12=$out/key.p12 PREFLECT_SIGN_PASSWORD_FILE=$out/password"
tsa="http://127.0.0.1:$(cat tsa.port)/"
release u
check "an unsigned release says so" 'grep -q "release: unsigned" u.log'
release p $p12_key PREFLECT_SIGN_NO_TIMESTAMP=1 PREFLECT_SIGN_CAFILE="$out/ca.pem"
release p2 $p12_key PREFLECT_SIGN_NO_TIMESTAMP=1 PREFLECT_SIGN_CAFILE="$out/ca.pem"
check "signed without a time stamp only when asked, saying so; one key gives the same bytes" \
  'grep -q "without a time stamp (PREFLECT_SIGN_NO_TIMESTAMP=1)" p.log && cmp -s p/SHA256SUMS p2/SHA256SUMS'
release s PREFLECT_SIGN_PKCS11_MODULE="$module" PREFLECT_SIGN_KEY="pkcs11:token=preflect;object=signing;type=private" \
  PREFLECT_SIGN_CERTS="$out/chain.pem" PREFLECT_SIGN_PIN_FILE="$out/token.pin" PREFLECT_SIGN_CAFILE="$out/ca.pem" \
  PREFLECT_SIGN_TSA_CAFILE="$out/ca.pem" PREFLECT_SIGN_TIMESTAMP_URL="http://127.0.0.1:1/ $tsa" \
  PREFLECT_GPG_KEY=release@zantrix.example PREFLECT_GPG_PASSPHRASE_FILE="$out/passphrase"
check "a time-stamp server that does not answer is passed over for the next" \
  '[ "$(grep -c "server http://127.0.0.1:1/ did not answer" s.log)" = 1 ] && grep -q "signed and time-stamped" s.log'
unzip -q s/Preflect-*-win32.zip -d signed
for p in Preflect Linkora PreflectCheck; do
  check "$p.exe: a SHA-256 signature by the key in SoftHSM2 and its time stamp verify against the test CA" \
    'osslsigncode verify -CAfile ca.pem -TSA-CAfile ca.pem -in signed/$p.exe >v.log 2>&1 && grep -qi sha256 v.log &&
     grep -q "Subject: /CN=Zantrix Test Signing" v.log && grep -q "^Timestamp Server Signature verification: ok" v.log'
done
check "SHA256SUMS carries an OpenPGP signature that gpg verifies" 'gpg --batch --verify s/SHA256SUMS.asc s/SHA256SUMS 2>/dev/null'
check "no signing variable in the environment of set-up, CMake and the compilers" \
  '[ -s env-cmake ] && [ -s env-dpkg-query ] && ! grep -qE "^PREFLECT_(SIGN|GPG)_" env-cmake env-dpkg-query'
check "no PIN, password or passphrase in ps, an environment or a log" \
  '[ -s seen ] && ! grep -qF -e "$pin" -e "$password" -e "$passphrase" seen env-* ./*.log "$tree"/build/*.log'

# Refused, leaving no release behind: the case | what is done to the tree |
# the variables | the line expected.
while IFS='|' read -r name prep vars expected; do
  eval "$prep"
  env $vars "$tree/scripts/release" "$out/refused" >refused.log 2>&1
  rc=$?
  git -C "$tree" checkout -q -- . && git -C "$tree" clean -qf
  check "refused: $name" '[ $rc != 0 ] && grep -qF "release: $expected" refused.log && [ ! -e refused ]'
done <<CASES
a changed file|echo >>"$tree/README.md"||the tree has changes that are not committed
a new file|touch "$tree/new.txt"||the tree has changes that are not committed
a commit that cannot be read|mkdir -p "$out/no-objects"|GIT_OBJECT_DIRECTORY=$out/no-objects|cannot read the time of commit
a password in the environment||$p12_key PREFLECT_SIGN_PASSWORD=x|PREFLECT_SIGN_PASSWORD is not read
no time stamp, not asked for||$p12_key|no PREFLECT_SIGN_TIMESTAMP_URL
a time stamp that does not verify||$p12_key PREFLECT_SIGN_TIMESTAMP_URL=$tsa PREFLECT_SIGN_CAFILE=$out/ca.pem PREFLECT_SIGN_TSA_CAFILE=$out/signing.pem|the signature of Preflect.exe or its time stamp does not verify
a PIN in the key's URI||PREFLECT_SIGN_PKCS11_MODULE=$module PREFLECT_SIGN_KEY=pkcs11:token=preflect;pin-value=1|PREFLECT_SIGN_KEY holds a PIN
CASES

# The signed release as a server could hand it out with Preflect.exe changed
# by one byte, its SHA256SUMS made anew.
cp -r s t && mkdir t-zip && unzip -q t/Preflect-*-win32.zip -d t-zip
byte=$(od -An -tu1 -j 4096 -N 1 t-zip/Preflect.exe)
printf "\\$(printf %03o $((byte ^ 1)))" | dd of=t-zip/Preflect.exe bs=1 seek=4096 conv=notrunc status=none
touch -r t-zip/Linkora.exe t-zip/Preflect.exe
(cd t-zip && zip -q -X "$out"/t/Preflect-*-win32.zip Preflect.exe)
(cd t && sha256sum Preflect-*-win32.zip preflect-check_*.deb BUILDINFO >SHA256SUMS)
"$tree/scripts/verify-release" --cafile ca.pem --tsa-cafile ca.pem u p s t >verify.log 2>&1
verified=$?
section() { awk -v d="$out/$1:" '$0 == d {on = 1; next} /^[^ ]/ {on = 0} on' verify.log; }
while IFS='|' read -r r pattern count; do
  check "verify-release: release $r is the rebuild of its commit, file by file ($count x '$pattern')" \
    '[ "$(section $r | grep -c "$pattern")" = $count ] && ! section $r | grep -qv -e ": identical" -e ": holds$" -e ": a good signature"'
done <<'ROWS'
u|: identical$|3
p|: identical, signed (.*no time stamp)|3
s|: identical, signed (.*with its time stamp)|3
ROWS
check "verify-release names the program changed by one byte" \
  '[ $verified != 0 ] && section t | grep -q "Preflect.exe: differs: its Authenticode digest" && section t | grep -q "Linkora.exe: identical, signed"'

cd "$out/u"
zip=$(ls Preflect-*-win32.zip)
deb=$(ls preflect-check_*.deb)
check "the archive holds exactly its files" \
  '[ "$(unzip -Z1 "$zip" | tr "\n" " ")" = "Preflect.exe Linkora.exe PreflectCheck.exe preflect-check-run.schema.json preflect-check-pins.schema.json preflect-check-lint.schema.json README-packagers.txt BUILDINFO.txt " ]'
check "SHA256SUMS covers the archive, the package and BUILDINFO, and holds" \
  'sha256sum -c --quiet SHA256SUMS && [ "$(awk "{print \$2}" SHA256SUMS | sort | tr "\n" " ")" = "BUILDINFO $zip $deb " ]'
check "BUILDINFO names the commit, its time and the compilers, and the archive carries it" \
  'grep -qx "Commit: $(git -C "$tree" rev-parse HEAD)" BUILDINFO && grep -qx "Source-Date-Epoch: $(git -C "$tree" log -1 --format=%ct)" BUILDINFO &&
   grep -q "^ win32-release: i686-w64-mingw32-g++" BUILDINFO && unzip -p "$zip" BUILDINFO.txt | tr -d "\r" | cmp -s - BUILDINFO'
unzip -q "$zip" -d "$out/win"
sections=$(i686-w64-mingw32-objdump -h "$out/win/Preflect.exe")
headers=$(i686-w64-mingw32-objdump -p "$out/win/Linkora.exe")
check "the programs are stripped, with no link time and no build path" \
  '! grep -q debug <<<"$sections" && grep -q "Time/Date.*1970" <<<"$headers" && ! grep -aq "$out" "$out/win/"*.exe'

# The Windows tool's version as its version resource holds it (UTF-16),
# against the packaged tool's --version and the file names.
resource=$(strings -el "$out/win/PreflectCheck.exe" | grep -A1 -x FileVersion | tail -n1)
dpkg-deb -x "$deb" "$out/deb"
native=$("$out/deb/usr/bin/preflect-check" --version | awk '{print $2}')
check "one version: resource '$resource', tool '$native', $zip, $deb" \
  '[ -n "$resource" ] && [ "$resource" = "$native" ] && [ "$zip" = "Preflect-$native-win32.zip" ] && [[ "$deb" == preflect-check_${native}_*.deb ]]'
check "the man page is the tool's help" \
  'zcat "$out/deb/usr/share/man/man1/preflect-check.1.gz" | grep -q "lint \[--json | --sarif\]"'
if validator lintian; then
  lintian --pedantic --fail-on error,warning "$deb" >"$out/lintian.txt" 2>&1
  status=$?
  check "lintian runs and gives no error or warning" '[ $status = 0 ] && ! grep -E "^[EW]: " "$out/lintian.txt"'
fi
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
if validator "the SARIF validator"; then
  [ -x "$tools/node_modules/.bin/sarif-multitool" ] ||
    (mkdir -p "$tools" && cd "$tools" && npm install --no-audit --no-fund @microsoft/sarif-multitool &&
      chmod u+x node_modules/@microsoft/sarif-multitool-linux/Sarif.Multitool) >"$out/npm.log" 2>&1
  mkdir -p "$out/sub"
  (cd "$out/sub" && "$out/deb/usr/bin/preflect-check" lint --sarif ../f.xml >"$out/f.sarif")
  (cd "$tools" && npx --no-install sarif-multitool validate "$out/f.sarif") >"$out/sarif.txt" 2>&1
  check "the SARIF validator runs and gives no error or warning" \
    'grep -q "Analysis completed successfully" "$out/sarif.txt" && ! grep -qE ": (error|warning) SARIF" "$out/sarif.txt"'
  grep -q "Analysis completed successfully" "$out/sarif.txt" || tail -n 5 "$out/npm.log" "$out/sarif.txt" 2>/dev/null
fi

echo "$passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ]
