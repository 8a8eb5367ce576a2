#!/usr/bin/env python3
"""Turns the gettext catalogue (resources/po/messages.pot and one .po per
language) into what the Windows programs are built with:

  texts.rc          a string table per language, in LANGUAGE blocks, for
                    Windows' resource loader to pick by the user's UI
                    language (English, en-US, is the fallback)
  texts_table.inc   the English texts in sorted order with their string ids,
                    for the program to find a text's id (not with --only)

Every text gets one id, a text with a count four in a row (one per plural
form); id 998 holds the language's name ("en", "de", "pt_BR"), id 999 its
Plural-Forms rule. Only ASCII reaches
the .rc file: everything else is written as \\xHHHH in wide strings.

usage: texts.py POFOLDER OUTFOLDER [--only PREFIX,...]
  --only  keeps the texts used in the source folders named (by the
          template's #: references), for a program that needs no others
"""
import os
import re
import sys

FIRST_ID = 1000
PLURAL_SLOTS = 4
LANGUAGE_ID = 998
PLURAL_RULE_ID = 999

# The language of a .po file's name: primary and sub-language ids. A
# neutral sub-language (0) serves every country of the language; Brazilian
# Portuguese and Simplified Chinese are one country's.
LANGUAGES = {
    "de": (0x07, 0x00), "fr": (0x0C, 0x00), "es": (0x0A, 0x00), "pt_BR": (0x16, 0x01),
    "it": (0x10, 0x00), "pl": (0x15, 0x00), "ru": (0x19, 0x00), "ja": (0x11, 0x00),
    "zh_CN": (0x04, 0x02),
}
ENGLISH = (0x09, 0x01)
ENGLISH_PLURALS = "nplurals=2; plural=(n != 1);"


def unquote(text):
    out, i = [], 0
    escapes = {"n": "\n", "r": "\r", "t": "\t", '"': '"', "\\": "\\"}
    while i < len(text):
        c = text[i]
        if c == "\\" and i + 1 < len(text):
            out.append(escapes.get(text[i + 1], text[i + 1]))
            i += 2
        else:
            out.append(c)
            i += 1
    return "".join(out)


def read_po(path):
    """The entries of a .po file: dicts with msgid, msgid_plural, msgstr (a
    list), refs (source files) and flags."""
    entries, entry, field = [], None, None

    def finish():
        if entry and "msgid" in entry:
            entries.append(entry)

    with open(path, encoding="utf-8") as f:
        for raw in f:
            line = raw.rstrip("\n")
            if not line.strip():
                finish()
                entry, field = None, None
                continue
            if entry is None:
                entry = {"refs": [], "flags": [], "msgstr": {}}
            if line.startswith("#:"):
                entry["refs"] += line[2:].split()
            elif line.startswith("#,"):
                entry["flags"] += [f.strip() for f in line[2:].split(",")]
            elif line.startswith("#"):
                continue
            else:
                m = re.match(r'^(msgid|msgid_plural|msgstr(?:\[(\d+)\])?)\s+"(.*)"$', line)
                if m:
                    field = (m.group(1), m.group(2))
                    value = unquote(m.group(3))
                elif line.startswith('"') and field:
                    value = unquote(line[1:-1])
                else:
                    raise SystemExit(f"{path}: cannot read: {line}")
                name, index = field
                if name.startswith("msgstr"):
                    key = int(index) if index is not None else 0
                    entry["msgstr"][key] = entry["msgstr"].get(key, "") + value
                else:
                    entry[name] = entry.get(name, "") + value
    finish()
    return entries


def header_field(entries, name):
    for e in entries:
        if e["msgid"] == "":
            for line in e["msgstr"].get(0, "").split("\n"):
                if line.startswith(name + ":"):
                    return line[len(name) + 1:].strip()
    return None


def rc_string(text):
    out = []
    for ch in text:
        code = ord(ch)
        if 0x20 <= code < 0x7F and ch not in '"\\':
            out.append(ch)
        else:
            data = ch.encode("utf-16-le")
            for i in range(0, len(data), 2):
                out.append("\\x%04x" % (data[i] | data[i + 1] << 8))
    return 'L"' + "".join(out) + '"'


def c_string(text):
    out = []
    for byte in text.encode("utf-8"):
        ch = chr(byte)
        if 0x20 <= byte < 0x7F and ch not in '"\\?':
            out.append(ch)
        else:
            out.append("\\%03o" % byte)
    return '"' + "".join(out) + '"'


def main(argv):
    po_folder, out_folder = argv[1], argv[2]
    only = None
    if len(argv) > 4 and argv[3] == "--only":
        only = [p for p in argv[4].split(",") if p]
    template = [e for e in read_po(os.path.join(po_folder, "messages.pot")) if e["msgid"]]
    # The ids come from the whole template, so that every program's table
    # agrees with the one the code looks ids up in.
    ids, next_id = {}, FIRST_ID
    for e in template:
        ids[e["msgid"]] = next_id
        next_id += PLURAL_SLOTS if "msgid_plural" in e else 1
    if next_id > 0xFFFF:
        raise SystemExit("too many texts for one string table")
    if only is not None:
        template = [e for e in template
                    if any(ref.startswith(prefix) for ref in e["refs"] for prefix in only)]
    kept = {e["msgid"] for e in template}

    blocks = [(ENGLISH, "en", ENGLISH_PLURALS,
               {e["msgid"]: ([e["msgid"], e["msgid_plural"]] if "msgid_plural" in e
                             else [e["msgid"]]) for e in template})]
    for name in sorted(LANGUAGES):
        path = os.path.join(po_folder, name + ".po")
        if not os.path.exists(path):
            continue
        entries = read_po(path)
        rule = header_field(entries, "Plural-Forms") or ENGLISH_PLURALS
        translated = {}
        for e in entries:
            if not e["msgid"] or "fuzzy" in e["flags"] or e["msgid"] not in kept:
                continue
            forms = [e["msgstr"][k] for k in sorted(e["msgstr"])]
            if all(forms):
                translated[e["msgid"]] = forms
        blocks.append((LANGUAGES[name], name, rule, translated))

    os.makedirs(out_folder, exist_ok=True)
    rc = ["// Made by cmake/texts.py from resources/po; do not edit.", ""]
    for (primary, sub), name, rule, texts in blocks:
        rc.append("// " + name)
        rc.append("LANGUAGE 0x%02x, 0x%02x" % (primary, sub))
        rc.append("STRINGTABLE")
        rc.append("BEGIN")
        rc.append("  %d %s" % (LANGUAGE_ID, rc_string(name)))
        rc.append("  %d %s" % (PLURAL_RULE_ID, rc_string(rule)))
        for msgid, forms in texts.items():
            for k, form in enumerate(forms[:PLURAL_SLOTS]):
                rc.append("  %d %s" % (ids[msgid] + k, rc_string(form)))
        rc.append("END")
        rc.append("")
    write_if_changed(os.path.join(out_folder, "texts.rc"), "\n".join(rc) + "\n")
    if only is None:
        table = ["// Made by cmake/texts.py from resources/po; do not edit.",
                 "// The English texts in byte order, with their string ids."]
        for msgid in sorted(ids, key=lambda t: t.encode("utf-8")):
            table.append("{%s, %d}," % (c_string(msgid), ids[msgid]))
        write_if_changed(os.path.join(out_folder, "texts_table.inc"), "\n".join(table) + "\n")


def write_if_changed(path, text):
    if os.path.exists(path):
        with open(path, encoding="ascii") as f:
            if f.read() == text:
                return
    with open(path, "w", encoding="ascii", newline="\n") as f:
        f.write(text)


if __name__ == "__main__":
    main(sys.argv)
