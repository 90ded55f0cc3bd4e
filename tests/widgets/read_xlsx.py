# Prints a workbook's first sheet as JSON: every cell with its value and
# whether it is a number, and the merged ranges. Used by the export tests.
import json
import sys

import openpyxl

book = openpyxl.load_workbook(sys.argv[1])
sheet = book.worksheets[0]
cells = {}
for row in sheet.iter_rows():
    for cell in row:
        if cell.value is None:
            continue
        number = isinstance(cell.value, (int, float)) and not isinstance(cell.value, bool)
        cells[cell.coordinate] = {"value": cell.value if number else str(cell.value), "number": number}
print(json.dumps({"cells": cells, "merged": sorted(str(r) for r in sheet.merged_cells.ranges),
                  "rows": sheet.max_row}, ensure_ascii=False))
