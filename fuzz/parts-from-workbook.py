#!/usr/bin/env python3
"""Turns .xlsx files into seeds of the workbookparts fuzzer: each part's name on a line,
then its bytes, parts separated by a line "@@". Themes and document properties are left
out; the reader never looks at them.

    parts-from-workbook.py OUT_FOLDER WORKBOOK...
"""
import os
import sys
import zipfile

out = sys.argv[1]
os.makedirs(out, exist_ok=True)
for path in sys.argv[2:]:
    with zipfile.ZipFile(path) as workbook:
        parts = [name.encode() + b"\n" + workbook.read(name)
                 for name in workbook.namelist()
                 if not name.startswith(("docProps/", "xl/theme/"))]
    name = os.path.splitext(os.path.basename(path))[0]
    with open(os.path.join(out, name), "wb") as seed:
        seed.write(b"\n@@\n".join(parts))
