#!/usr/bin/env bash
# Remakes the workbooks in tests/data/workbooks/ with three other programs, so that the
# reader is tested on files it did not write. The build never runs this; the results are
# committed. Needs: soffice (libreoffice-calc), python3 with openpyxl, node and npm.
set -euo pipefail

out="$(cd "$(dirname "$0")/.." && pwd)/tests/data/workbooks"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# LibreOffice Calc: converts the flat spreadsheet kept next to its result.
soffice -env:UserInstallation="file://$work/profile" --headless \
  --convert-to xlsx --outdir "$work" "$out/libreoffice.fods" >/dev/null
cp "$work/libreoffice.xlsx" "$out/libreoffice.xlsx"

# openpyxl writes inline strings and absolute part names. Its output is then edited the way
# other producers write: rows out of order, cells without their reference, a formula with
# its cached text result, a rich inline string and a false boolean.
python=python3
python3 -c "import openpyxl" 2>/dev/null || python=/usr/bin/python3
"$python" - "$out/openpyxl.xlsx" "$work/plain.xlsx" <<'PY'
import datetime, re, sys, zipfile
import openpyxl

target, plain = sys.argv[1], sys.argv[2]
wb = openpyxl.Workbook()
ws = wb.active
ws.title = "Измерения"
ws.append(["14:05:09 21.03.24", 52.25, "HRC"])
ws.append(["14:06:10 21.03.24", 250, "HB"])
ws.append([datetime.datetime(2024, 3, 21, 14, 7, 11), 610.5, "HV"])
ws["A5"], ws["B5"], ws["C5"] = "14:08:00 21.03.24", 40, "HRC"
types = wb.create_sheet("Типы")
types.append([True, 1e3, 1.2e-05, "Ёлка"])
types.append([-0.5])
wb.save(plain)

sheet = "xl/worksheets/sheet2.xml"
with zipfile.ZipFile(plain) as source:
    xml = source.read(sheet).decode()
    rows = re.findall(r"<row .*?</row>", xml)
    third = ('<row r="3"><c t="str"><f>"H"&amp;"V"</f><v>HV</v></c>'
             '<c t="inlineStr"><is><r><t>встро</t></r><r><rPr><b/></rPr><t>енная</t></r></is></c>'
             '<c t="b"><v>0</v></c></row>')
    xml = xml.replace("".join(rows), third + "".join(reversed(rows)))
    with zipfile.ZipFile(target, "w", zipfile.ZIP_DEFLATED) as result:
        for item in source.infolist():
            data = xml.encode() if item.filename == sheet else source.read(item.filename)
            result.writestr(item, data)
PY

# SheetJS (the npm package "xlsx") writes texts as t="str" cells and dates as numbers in a
# date format.
(cd "$work" && npm install --silent --no-save xlsx >/dev/null)
NODE_PATH="$work/node_modules" node - "$out/sheetjs.xlsx" <<'JS'
const XLSX = require("xlsx");
const wb = XLSX.utils.book_new();
const measurements = XLSX.utils.aoa_to_sheet([
  ["14:05:09 21.03.24", 52.25, "HRC"],
  ["14:06:10 21.03.24", 250, "HB"],
  [new Date(2024, 2, 21, 14, 7, 11), 610.5, "HV"],
  [],
  ["14:08:00 21.03.24", 40, "HRC"],
], { cellDates: true });
XLSX.utils.book_append_sheet(wb, measurements, "Измерения");
const types = XLSX.utils.aoa_to_sheet([[true, 1e3, -0.5, 1.2e-5], ["Ёж"]]);
types["B2"] = { t: "e", v: 0x2a }; // #N/A
types["!ref"] = "A1:D2";
XLSX.utils.book_append_sheet(wb, types, "Типы");
XLSX.writeFile(wb, process.argv[2], { compression: true });
JS
echo "Written to $out"
