"""Writes an Excel 97-2003 workbook for the import tests.

Usage: write_xls.py BOOK.json
BOOK.json: {"path": "...", "sheets": [{"name": "morvel", "rows": [[cell, ...], ...]}]}
A cell is a number, a text, null (left empty) or {"date": "yyyy-mm-dd"} (a date cell).
"""
import datetime
import json
import sys

import xlwt


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
                if isinstance(cell, dict):
                    day = datetime.date.fromisoformat(cell["date"])
                    sheet.write(r, c, day, date_style)
                else:
                    sheet.write(r, c, cell)
    book.save(book_spec["path"])


if __name__ == "__main__":
    main()
