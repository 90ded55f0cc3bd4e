"""Writes an Excel 97-2003 workbook for the import tests.

Usage: write_xls.py BOOK.json
BOOK.json: {"path": "...", "sheets": [{"name": "morvel", "rows": [[cell, ...], ...]}]}
A cell is a number, a text, null (left empty), {"date": "yyyy-mm-dd"} (a date cell)
or {"formula": "H2*I2", "result": value} (a formula with the result a spreadsheet
program stores beside it: a number, a text, {"date": ...} or {"error": code}).
{"runs": [...]} and {"inline": "text"}, texts kept apart in an .xlsx workbook,
are plain texts here.
"""
import datetime
import json
import struct
import sys

import xlwt

EXCEL_EPOCH = datetime.date(1899, 12, 30)


class CachedFormula:
    """A FORMULA record that carries its last result, as Excel and LibreOffice
    write it (xlwt alone stores none): a number in the record itself, a text
    in a STRING record after it, an error code marked as such."""

    def __init__(self, cell, result):
        self.cell = cell
        self.result = result

    def get_biff_data(self):
        c = self.cell
        tail = b""
        result = self.result
        if isinstance(result, dict) and "date" in result:
            result = float((datetime.date.fromisoformat(result["date"]) - EXCEL_EPOCH).days)
        if isinstance(result, dict) and "error" in result:
            value = struct.pack("<BBBBBBH", 2, 0, int(result["error"]), 0, 0, 0, 0xFFFF)
        elif isinstance(result, str):
            value = struct.pack("<BBBBBBH", 0, 0, 0, 0, 0, 0, 0xFFFF)
            text = result.encode("utf-16-le")
            body = struct.pack("<HB", len(result), 1) + text
            tail = struct.pack("<HH", 0x0207, len(body)) + body
        else:
            value = struct.pack("<d", float(result))
        body = struct.pack("<3H", c.rowx, c.colx, c.xf_idx) + value + struct.pack("<HL", 0, 0) + c.frmla.rpn()
        return struct.pack("<HH", 0x0006, len(body)) + body + tail


def main():
    with open(sys.argv[1], encoding="utf-8") as f:
        book_spec = json.load(f)
    book = xlwt.Workbook(encoding="utf-8")
    date_style = xlwt.easyxf(num_format_str="yyyy-mm-dd")
    for sheet_spec in book_spec["sheets"]:
        sheet = book.add_sheet(sheet_spec["name"])
        for r, row in enumerate(sheet_spec["rows"]):
            for c, cell in enumerate(row):
                if cell is None:
                    continue
                if isinstance(cell, dict) and "formula" in cell:
                    result = cell["result"]
                    dated = isinstance(result, dict) and "date" in result
                    sheet.write(r, c, xlwt.Formula(cell["formula"]), date_style if dated else xlwt.Style.default_style)
                    cells = sheet.row(r)._Row__cells
                    cells[c] = CachedFormula(cells[c], result)
                elif isinstance(cell, dict) and "runs" in cell:
                    sheet.write(r, c, "".join(cell["runs"]))
                elif isinstance(cell, dict) and "inline" in cell:
                    sheet.write(r, c, cell["inline"])
                elif isinstance(cell, dict):
                    day = datetime.date.fromisoformat(cell["date"])
                    sheet.write(r, c, day, date_style)
                else:
                    sheet.write(r, c, cell)
    book.save(book_spec["path"])


if __name__ == "__main__":
    main()
