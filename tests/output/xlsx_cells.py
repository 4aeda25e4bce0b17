#!/usr/bin/env python3
"""Prints what openpyxl reads in a workbook, as JSON, for the spreadsheet tests.

usage: xlsx_cells.py BOOK.xlsx [ROWS]
{"sheets": [names], "cells": {sheet: {"A1": {"type", "value", "format", "colour", "align"}}},
 "widthA": {sheet: width}} for the first ROWS rows (default 40) of every sheet.
"""
import datetime
import json
import sys

import openpyxl

book = openpyxl.load_workbook(sys.argv[1])
rows = int(sys.argv[2]) if len(sys.argv) > 2 else 40
out = {"sheets": book.sheetnames, "cells": {}, "widthA": {}}
for sheet in book.worksheets:
    cells = {}
    for row in sheet.iter_rows(min_row=1, max_row=rows):
        for cell in row:
            if cell.value is None:
                continue
            value = cell.value
            kind = type(value).__name__
            if isinstance(value, (datetime.datetime, datetime.date)):
                value = value.isoformat()
            colour = cell.font.color.rgb if cell.font and cell.font.color is not None else None
            cells[cell.coordinate] = {
                "type": kind,
                "value": value,
                "format": cell.number_format,
                "colour": colour if isinstance(colour, str) else None,
                "align": cell.alignment.horizontal,
            }
    out["cells"][sheet.title] = cells
    dim = sheet.column_dimensions.get("A")
    out["widthA"][sheet.title] = dim.width if dim is not None and dim.customWidth else None
print(json.dumps(out))
