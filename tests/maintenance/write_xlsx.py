"""Writes an .xlsx workbook for the import tests, as a spreadsheet program saves it.

Usage: write_xlsx.py BOOK.json
BOOK.json as for write_xls.py, and also:
- a cell {"runs": ["可口", "可乐"]}: a shared text in formatted runs, with a
  phonetic guide above it that is no part of the text;
- a cell {"inline": "text"}: a text kept in the cell itself, not shared;
- "damage": spoils the written file as a broken or hostile one is spoilt:
  "truncated" (the sheet's XML cut off), "oversized" (the sheet inflates past
  what a goods list could be), "missing-part" (the sheet's part is gone),
  "bad-string" (a cell names a shared text that is not there), "far-apart"
  (cells in the last column of many rows, each a row's worth of gap), "entities"
  (the shared texts declare entities that multiply), "uncalculated" (formulas
  saved without their results, as openpyxl alone leaves them).

openpyxl leaves a formula's result empty and keeps every text in its cell;
afterwards the result given is written into the formula's cell and the texts
go into the shared texts, as a spreadsheet program stores them. Each sheet
is moved into the part named for the sheet after it (the last into
sheet1.xml), so only the workbook's relationships tell which part is which
sheet.
"""
import datetime
import io
import json
import sys
import xml.etree.ElementTree as ET
import zipfile

import openpyxl

MAIN = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
RELS = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
PACKAGE_RELS = "http://schemas.openxmlformats.org/package/2006/relationships"
EXCEL_EPOCH = datetime.date(1899, 12, 30)
ERRORS = {0: "#NULL!", 7: "#DIV/0!", 15: "#VALUE!", 23: "#REF!", 29: "#NAME?", 36: "#NUM!", 42: "#N/A"}

CONTENT_TYPES = "http://schemas.openxmlformats.org/package/2006/content-types"
ET.register_namespace("r", RELS)


def q(name):
    return "{%s}%s" % (MAIN, name)


def number_text(value):
    value = float(value)
    return str(int(value)) if value.is_integer() else repr(value)


def write_with_openpyxl(wanted):
    """The workbook as openpyxl saves it, and what it cannot write itself."""
    book = openpyxl.Workbook()
    book.remove(book.active)
    results, inline, runs = {}, {}, {}
    for s, sheet_wanted in enumerate(wanted["sheets"]):
        sheet = book.create_sheet(sheet_wanted["name"])
        for r, row in enumerate(sheet_wanted["rows"], start=1):
            for c, cell in enumerate(row, start=1):
                if cell is None:
                    continue
                target = sheet.cell(row=r, column=c)
                if isinstance(cell, dict) and "formula" in cell:
                    target.value = "=" + cell["formula"]
                    result = cell["result"]
                    if isinstance(result, dict) and "date" in result:
                        target.number_format = "mm-dd-yy"  # the built-in date format 14
                    results[(s, target.coordinate)] = result
                elif isinstance(cell, dict) and "date" in cell:
                    target.value = datetime.date.fromisoformat(cell["date"])
                    target.number_format = "yyyy-mm-dd"  # a format of the workbook's own
                elif isinstance(cell, dict) and "runs" in cell:
                    target.value = "".join(cell["runs"])
                    runs[target.value] = cell["runs"]
                elif isinstance(cell, dict) and "inline" in cell:
                    target.value = cell["inline"]
                    inline[(s, target.coordinate)] = cell["inline"]
                else:
                    target.value = cell
    out = io.BytesIO()
    book.save(out)
    return out.getvalue(), results, inline, runs


def store_results(root, results):
    for c in root.iter(q("c")):
        ref = c.get("r")
        if ref in results:
            result = results[ref]
            v = c.find(q("v"))
            if v is None:
                v = ET.SubElement(c, q("v"))
            if isinstance(result, dict) and "date" in result:
                v.text = str((datetime.date.fromisoformat(result["date"]) - EXCEL_EPOCH).days)
            elif isinstance(result, dict) and "error" in result:
                c.set("t", "e")
                v.text = ERRORS[int(result["error"])]
            elif isinstance(result, bool):
                c.set("t", "b")
                v.text = "1" if result else "0"
            elif isinstance(result, str):
                c.set("t", "str")
                v.text = result
            else:
                v.text = number_text(result)


def share_texts(root, inline, shared):
    """Moves the texts of the cells into the shared texts, but those meant to
    stay in their cell."""
    for c in root.iter(q("c")):
        if c.get("t") != "inlineStr" or c.get("r") in inline:
            continue
        text = "".join(t.text or "" for t in c.iter(q("t")))
        for child in list(c):
            c.remove(child)
        if text not in shared:
            shared[text] = len(shared)
        c.set("t", "s")
        ET.SubElement(c, q("v")).text = str(shared[text])


def shared_strings_part(shared, runs):
    sst = ET.Element(q("sst"), {"count": str(len(shared)), "uniqueCount": str(len(shared))})
    for text in shared:
        si = ET.SubElement(sst, q("si"))
        if text not in runs:
            ET.SubElement(si, q("t")).text = text
            continue
        for i, piece in enumerate(runs[text]):
            r = ET.SubElement(si, q("r"))
            if i == 0:
                ET.SubElement(ET.SubElement(r, q("rPr")), q("b"))
            ET.SubElement(r, q("t")).text = piece
        guide = ET.SubElement(si, q("rPh"), {"sb": "0", "eb": "1"})
        ET.SubElement(guide, q("t")).text = "kekou"
    return sst


def xml_bytes(root, namespace=MAIN):
    # The part's own namespace unprefixed, as spreadsheet programs write it.
    ET.register_namespace("", namespace)
    return ET.tostring(root, encoding="UTF-8", xml_declaration=True)


def main():
    with open(sys.argv[1], encoding="utf-8") as f:
        wanted = json.load(f)
    data, results, inline, runs = write_with_openpyxl(wanted)
    with zipfile.ZipFile(io.BytesIO(data)) as z:
        parts = {name: z.read(name) for name in z.namelist()}

    # Which part holds which sheet, by the workbook's relationships.
    book = ET.fromstring(parts["xl/workbook.xml"])
    rels_root = ET.fromstring(parts["xl/_rels/workbook.xml.rels"])
    targets = {r.get("Id"): r for r in rels_root.iter("{%s}Relationship" % PACKAGE_RELS)}
    sheet_rels = [targets[s.get("{%s}id" % RELS)] for s in book.iter(q("sheet"))]
    names = ["xl/" + r.get("Target").lstrip("/").removeprefix("xl/") for r in sheet_rels]

    sheets = {}
    shared = {}
    for s, name in enumerate(names):
        root = ET.fromstring(parts[name])
        if wanted.get("damage") != "uncalculated":
            store_results(root, {ref: v for (i, ref), v in results.items() if i == s})
        share_texts(root, {ref for (i, ref) in inline if i == s}, shared)
        sheets[s] = xml_bytes(root)
    def moved(s):
        return names[(s + 1) % len(names)]

    for s, rel in enumerate(sheet_rels):
        parts[moved(s)] = sheets[s]
        rel.set("Target", moved(s).removeprefix("xl/"))
    ET.SubElement(rels_root, "{%s}Relationship" % PACKAGE_RELS,
                  {"Id": "rIdTexts", "Target": "sharedStrings.xml",
                   "Type": "http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings"})
    parts["xl/_rels/workbook.xml.rels"] = xml_bytes(rels_root, PACKAGE_RELS)
    parts["xl/sharedStrings.xml"] = xml_bytes(shared_strings_part(shared, runs))
    types = ET.fromstring(parts["[Content_Types].xml"])
    ET.SubElement(types, "{%s}Override" % CONTENT_TYPES,
                  {"PartName": "/xl/sharedStrings.xml",
                   "ContentType": "application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"})
    parts["[Content_Types].xml"] = xml_bytes(types, CONTENT_TYPES)

    damage = wanted.get("damage")
    goods = [n for n, s in zip(names, wanted["sheets"]) if s["name"] == "morvel"]
    goods_part = moved(names.index(goods[0])) if goods else None
    if damage == "truncated":
        parts[goods_part] = parts[goods_part][: len(parts[goods_part]) * 2 // 3]
    elif damage == "oversized":
        text = parts[goods_part]
        end = text.rindex(b"</worksheet>")
        parts[goods_part] = text[:end] + b" " * (80 * 1024 * 1024) + text[end:]
    elif damage == "missing-part":
        del parts[goods_part]
    elif damage == "bad-string":
        text = parts[goods_part]
        at = text.rindex(b't="s"')  # a data cell, not a title
        v = text.index(b"<v>", at) + 3
        parts[goods_part] = text[:v] + b"99999" + text[text.index(b"</v>", v):]
    elif damage == "entities":
        laughs = ['<!ENTITY l0 "ha">'] + ['<!ENTITY l%d "%s">' % (i, "&l%d;" % (i - 1) * 10) for i in range(1, 10)]
        text = parts["xl/sharedStrings.xml"].decode("utf-8")
        head, body = text.split("?>", 1)
        body = body.replace("<t>", "<t>&l9;", 1)
        parts["xl/sharedStrings.xml"] = (head + "?><!DOCTYPE sst [" + "".join(laughs) + "]>" + body).encode("utf-8")
    elif damage == "far-apart":
        text = parts[goods_part]
        end = text.rindex(b"</sheetData>")
        far = b"".join(b'<row r="%d"><c r="XFD%d"><v>1</v></c></row>' % (n, n) for n in range(1000, 1200))
        parts[goods_part] = text[:end] + far + text[end:]
    elif damage and damage != "uncalculated":
        raise SystemExit("unknown damage: " + damage)

    with zipfile.ZipFile(wanted["path"], "w", zipfile.ZIP_DEFLATED) as z:
        for name, content in parts.items():
            z.writestr(name, content)


if __name__ == "__main__":
    main()
