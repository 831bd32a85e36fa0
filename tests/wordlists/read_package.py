#!/usr/bin/env python3
"""Reads a flashcard package with Python's own zipfile, sqlite3, json and html.parser
(and the zstd program for the newest form), independently of termel, and prints
what termel is to import from it, one tab-separated line per note:

  card <TAB> compartment <TAB> known <TAB> unknown <TAB> front <TAB> back
  refused <TAB> note id <TAB> cloze|fields
  media <TAB> number of media files       (first, when there are any)

Texts are UTF-8 with tabs and line breaks as blanks."""
import html.parser
import json
import os
import re
import sqlite3
import subprocess
import sys
import tempfile
import zipfile

BREAKING = {"br", "p", "div", "li", "tr", "td", "hr", "h1", "h2", "h3", "ul", "ol", "table"}
FLOORS = [1, 3, 7, 15, 30, 60]  # intervals (days) of compartments 2 to 6 and the archive


class Text(html.parser.HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.parts = []

    def handle_starttag(self, tag, attrs):
        if tag in BREAKING:
            self.parts.append(" ")

    handle_startendtag = handle_starttag

    def handle_endtag(self, tag):
        if tag in BREAKING:
            self.parts.append(" ")

    def handle_data(self, data):
        self.parts.append(data)


def plain(field):
    field = re.sub(r"\[sound:[^\]]*\]", "", field)
    parser = Text()
    parser.feed(field)
    parser.close()
    return re.sub(r"[ \t\n\r\f]+", " ", "".join(parser.parts)).strip(" \t\n\r\f")


def collection(path, work):
    with zipfile.ZipFile(path) as package:
        names = package.namelist()
        media = [n for n in names if not n.startswith("collection.") and n not in ("media", "meta")]
        database = os.path.join(work, "collection")
        if "collection.anki21b" in names:
            packed = package.read("collection.anki21b")
            with open(database, "wb") as out:
                out.write(subprocess.run(["zstd", "-d", "-c"], input=packed, check=True,
                                         stdout=subprocess.PIPE).stdout)
        else:
            name = "collection.anki21" if "collection.anki21" in names else "collection.anki2"
            with open(database, "wb") as out:
                out.write(package.read(name))
    return database, len(media)


def note_types(db):
    """{type id: (field names in order, is cloze)}"""
    tables = {row[0] for row in db.execute("SELECT name FROM sqlite_master WHERE type='table'")}
    types = {}
    if "fields" in tables:
        for ntid, name, config in db.execute(
                "SELECT f.ntid, f.name, t.config FROM fields f JOIN notetypes t ON t.id = f.ntid "
                "ORDER BY f.ntid, f.ord"):
            names, _ = types.setdefault(ntid, ([], bytes(config[:2]) == b"\x08\x01"))
            names.append(name)
    else:
        for (models,) in db.execute("SELECT models FROM col"):
            for key, model in json.loads(models).items():
                fields = sorted(model["flds"], key=lambda f: f["ord"])
                types[int(key)] = ([f["name"] for f in fields], model.get("type", 0) == 1)
    return types


def german(name):
    name = name.lower()
    return name == "de" or name[:3] in ("de_", "de-") or "deutsch" in name or "german" in name


def compartment(card):
    if card is None or card[0] == 0:
        return 1
    return 1 + sum(1 for floor in FLOORS if card[1] >= floor)


def main(path):
    with tempfile.TemporaryDirectory() as work:
        database, media = collection(path, work)
        db = sqlite3.connect(database)
        if media:
            print(f"media\t{media}")
        types = note_types(db)
        first_card = {}
        for nid, kind, ivl, reps, lapses in db.execute(
                "SELECT nid, type, ivl, reps, lapses FROM cards ORDER BY nid, ord DESC, id DESC"):
            first_card[nid] = (kind, ivl, reps, lapses)
        for nid, mid, flds in db.execute("SELECT id, mid, flds FROM notes ORDER BY id"):
            names, cloze = types.get(mid, ([], False))
            fields = flds.split("\x1f")
            if cloze or any(re.search(r"\{\{c\d+::", f) for f in fields):
                print(f"refused\t{nid}\tcloze")
                continue
            texts = [plain(f) for f in fields]
            if len(texts) < 2 or not texts[0] or not texts[1]:
                print(f"refused\t{nid}\tfields")
                continue
            front, back = texts[0], texts[1]
            if len(names) >= 2 and german(names[1]) and not german(names[0]):
                front, back = back, front
            card = first_card.get(nid)
            reps, lapses = (card[2], card[3]) if card else (0, 0)
            print(f"card\t{compartment(card)}\t{max(0, reps - lapses)}\t{lapses}\t{front}\t{back}")


main(sys.argv[1])
