#!/usr/bin/env bash
# The translations: the template is what the sources mark now; each .po file
# passes msgfmt --check, translates every message of the template, keeps
# every numbered place (%1 to %9) of the English, has as many plural forms as
# its Plural-Forms says, and is a language the build and the GUI test know.
# Ends with "N passed, N failed".
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
cd "$ROOT"
passed=0 failed=0
check() {  # name, then a command that must succeed
  local name=$1; shift
  if "$@" >/tmp/po-test.$$ 2>&1; then
    echo "ok - $name"; passed=$((passed + 1))
  else
    echo "not ok - $name"; sed 's/^/    /' /tmp/po-test.$$ | head -n 20; failed=$((failed + 1))
  fi
}

# Every message of the template in one .po file, with the same places.
complete() {
  python3 - "$1" <<'PY'
import collections, os, re, sys
sys.path.insert(0, "cmake")
import texts
path = sys.argv[1]
template = {e["msgid"]: e for e in texts.read_po("resources/po/messages.pot") if e["msgid"]}
entries = {e["msgid"]: e for e in texts.read_po(path) if e["msgid"]}
rule = texts.header_field(texts.read_po(path), "Plural-Forms") or ""
m = re.search(r"nplurals\s*=\s*(\d+)", rule)
plurals = int(m.group(1)) if m else 0
places = lambda t: collections.Counter(re.findall(r"(?<!%)%[1-9]", t.replace("%%", "")))
problems = []
if not plurals: problems.append("no Plural-Forms")
name = os.path.basename(path)[:-3]
if name not in texts.LANGUAGES: problems.append("cmake/texts.py knows no language " + name)
for msgid, t in template.items():
    e = entries.get(msgid)
    forms = [e["msgstr"][k] for k in sorted(e["msgstr"])] if e else []
    if not e or "fuzzy" in e["flags"] or not all(forms) or not forms:
        problems.append("untranslated: " + msgid[:60]); continue
    if "msgid_plural" in t and len(forms) != plurals:
        problems.append("%d plural forms, not %d: %s" % (len(forms), plurals, msgid[:60]))
    for form in forms:
        if places(form) != places(msgid):
            problems.append("places differ: %s -> %s" % (msgid[:50], form[:50]))
for msgid in entries:
    if msgid not in template: problems.append("not in the template: " + msgid[:60])
print("\n".join(problems))
sys.exit(1 if problems else 0)
PY
}

check "the template is what the sources mark" scripts/update-texts --check
for po in resources/po/*.po; do
  lang=$(basename "$po" .po)
  check "$lang: msgfmt --check" msgfmt --check --output-file=/dev/null "$po"
  check "$lang: every message translated, every place kept" complete "$po"
  check "$lang: a run of the GUI test in scripts/test" grep -q ":$lang\\b" scripts/test
done
# The check itself: one message left untranslated is found.
work=$(mktemp -d)
python3 - resources/po/de.po "$work/de.po" <<'PY'
import sys
text = open(sys.argv[1], encoding="utf-8").read()
at = text.index('msgstr "', text.index('msgid "Acquire"'))
open(sys.argv[2], "w", encoding="utf-8").write(text[:at] + 'msgstr ""' + text[text.index("\n", at):])
PY
check "one message left untranslated is found" bash -c "$(declare -f complete); ! complete '$work/de.po'"
rm -rf "$work" /tmp/po-test.$$
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
