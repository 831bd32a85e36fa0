#!/usr/bin/python3
# What Python's csv module reads from a word list: one line per record with the line
# it starts on and its fields, each behind a unit separator (0x1F), blanks at either end of each field dropped and
# every line break inside one, with the blanks around it, made one blank.
# Arguments: the file and its separator ("tab" for a tab).
import csv
import re
import sys

path, separator = sys.argv[1], sys.argv[2]
separator = "\t" if separator == "tab" else separator
with open(path, newline="", encoding="utf-8-sig") as f:
    reader = csv.reader(f, delimiter=separator)
    end = 0
    for row in reader:
        start, end = end + 1, reader.line_num
        fields = [re.sub(r"\s*[\r\n]+\s*", " ", field).strip() for field in row]
        if any(fields):
            print("\x1f".join([str(start)] + fields))
