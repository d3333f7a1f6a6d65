#!/usr/bin/env python3
"""The English translation is whole and up to date.

1. Every Chinese string literal of the program's sources is a text of the
   translation file (so it goes through Tr, QTr, translate, tr or
   QUILLET_TEXT), or one of the report texts listed in i18n/report_texts.txt,
   which are never translated.
2. Reading the sources again (scripts/update-translations.sh) changes nothing
   in the translation file.
3. Every text has a finished English translation with no Chinese in it, and
   the same %1 ... %9 places as its source.

Usage: check_translations.py SOURCE_DIR [LUPDATE]
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

PROGRAM_DIRS = ["controls", "dialogs", "engine", "export", "geometry", "model", "platform",
                "preview", "shell", "sources"]
SKIPPED_DIRS = {os.path.join("platform", "fake")}
CJK = re.compile("[\u3000-\u303f\u3400-\u9fff\uff00-\uffef]")
PLACE = re.compile(r"%[1-9]")

# A C++ string literal (with an optional u8/L/u/U prefix), a character
# literal, a comment, or a raw string.
TOKEN = re.compile(r'''(?P<comment>//[^\n]*|/\*.*?\*/)
                     |(?P<raw>(?:u8|L|u|U)?R"(?P<delim>[^(\s]*)\((?P<rawbody>.*?)\)(?P=delim)")
                     |(?P<string>(?:u8|L|u|U)?"(?P<body>(?:[^"\\\n]|\\.)*)")
                     |(?P<char>'(?:[^'\\\n]|\\.)+')''', re.S | re.X)
SIMPLE_ESCAPES = {"n": "\n", "t": "\t", "r": "\r", '"': '"', "'": "'", "\\": "\\", "?": "?",
                  "a": "\a", "b": "\b", "f": "\f", "v": "\v", "0": "\0"}


def unescape(body):
    out, i = [], 0
    while i < len(body):
        c = body[i]
        if c == "\\" and i + 1 < len(body):
            nxt = body[i + 1]
            if nxt == "x":
                m = re.match(r"[0-9a-fA-F]+", body[i + 2:])
                out.append(chr(int(m.group(0), 16)))
                i += 2 + len(m.group(0))
                continue
            out.append(SIMPLE_ESCAPES.get(nxt, nxt))
            i += 2
            continue
        out.append(c)
        i += 1
    return "".join(out)


def literals(text):
    """The string literals of a C++ file, adjacent ones joined, with their lines."""
    joined, start, last_end = None, 0, -1
    for m in TOKEN.finditer(text):
        if m.group("comment") or m.group("char"):
            continue
        value = m.group("rawbody") if m.group("raw") else unescape(m.group("body"))
        if joined is not None and text[last_end:m.start()].strip() == "":
            joined += value
        else:
            if joined is not None:
                yield start, joined
            joined, start = value, text.count("\n", 0, m.start()) + 1
        last_end = m.end()
    if joined is not None:
        yield start, joined


def program_files(root):
    for top in PROGRAM_DIRS:
        for folder, dirs, files in os.walk(os.path.join(root, top)):
            dirs[:] = [d for d in dirs if os.path.relpath(os.path.join(folder, d), root) not in SKIPPED_DIRS]
            for name in sorted(files):
                if name.endswith((".cpp", ".h")):
                    yield os.path.join(folder, name)


def read_ts(path):
    messages = []
    for context in ET.parse(path).getroot().iter("context"):
        name = context.findtext("name")
        for message in context.iter("message"):
            translation = message.find("translation")
            messages.append((name, message.findtext("source"), translation.text or "",
                             translation.get("type")))
    return messages


def main():
    root = sys.argv[1]
    lupdate = sys.argv[2] if len(sys.argv) > 2 else None
    ts = os.path.join(root, "i18n", "quillet_en.ts")
    messages = read_ts(ts)
    sources = {source for _, source, _, _ in messages}
    with open(os.path.join(root, "i18n", "report_texts.txt"), encoding="utf-8") as f:
        report_texts = {line.rstrip("\n") for line in f if line.strip() and not line.startswith("#")}
    faults = []

    for path in program_files(root):
        with open(path, encoding="utf-8") as f:
            text = f.read()
        for line, value in literals(text):
            if CJK.search(value) and value not in sources and value not in report_texts:
                faults.append(f"{os.path.relpath(path, root)}:{line}: not translated: {value!r}")

    if lupdate:
        with tempfile.TemporaryDirectory() as scratch:
            fresh = os.path.join(scratch, "quillet_en.ts")
            shutil.copyfile(ts, fresh)
            subprocess.run([os.path.join(root, "scripts", "update-translations.sh"), fresh], check=True,
                           env=dict(os.environ, LUPDATE=lupdate), stdout=subprocess.DEVNULL)
            with open(ts, encoding="utf-8") as a, open(fresh, encoding="utf-8") as b:
                if a.read() != b.read():
                    faults.append("i18n/quillet_en.ts is out of date: run scripts/update-translations.sh")

    for context, source, translation, kind in messages:
        where = f"{context}: {source!r}"
        if kind in ("unfinished", "vanished", "obsolete") or not translation:
            faults.append(f"{where}: no finished translation")
        elif CJK.search(translation):
            faults.append(f"{where}: Chinese in the translation {translation!r}")
        elif sorted(PLACE.findall(source)) != sorted(PLACE.findall(translation)):
            faults.append(f"{where}: places differ in {translation!r}")

    for fault in faults:
        print(fault)
    print(f"{len(messages)} texts, {len(faults)} faults")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
