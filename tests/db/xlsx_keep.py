#!/usr/bin/env python3
"""Workbooks for the in-place change tests, and what openpyxl reads in them.

usage: xlsx_keep.py make BOOK.xlsx   a workbook with formats, formulas, a comment, a defined
                                     name, merged cells, a conditional format, a second sheet
                                     and a chart
       xlsx_keep.py make-table BOOK.xlsx   the same with a table over rday's records and a
                                     second defined name over its first two rows
       xlsx_keep.py dump BOOK.xlsx   every cell of every sheet and what else the book holds,
                                     as JSON
"""
import datetime
import json
import sys

import openpyxl
from openpyxl.chart import LineChart, Reference
from openpyxl.comments import Comment
from openpyxl.formatting.rule import CellIsRule
from openpyxl.styles import Font, PatternFill
from openpyxl.workbook.defined_name import DefinedName
from openpyxl.worksheet.table import Table


def add_name(book, name, text):
    defined = DefinedName(name, attr_text=text)
    if hasattr(book.defined_names, "append"):  # openpyxl before 3.1
        book.defined_names.append(defined)
    else:
        book.defined_names[name] = defined


def make(path, table=False):
    book = openpyxl.Workbook()
    sheet = book.active
    sheet.title = "rday"
    sheet.append(["datatype_site_id", "date_time", "value", "double", "source"])
    for c in sheet[1]:
        c.font = Font(bold=True, color="FF0000FF")
    for i in range(6):
        row = 2 + i
        sheet.append([1001, datetime.datetime(1999, 3, 5 + i), 10.5 + i, None, "A"])
        sheet.cell(row, 3).number_format = "0.00"
        sheet.cell(row, 3).fill = PatternFill("solid", fgColor="FFFFFF00")
        sheet.cell(row, 4).value = "=C%d*2" % row
        sheet.cell(row, 2).number_format = "yyyy-mm-dd"
    sheet["H2"] = "note beside the table"
    sheet["H2"].comment = Comment("kept by every change", "tester")
    sheet["H3"] = "=SUM(C2:C7)"
    sheet.column_dimensions["B"].width = 21
    sheet.merge_cells("H5:I6")
    sheet["H5"] = "merged"
    sheet.conditional_formatting.add(
        "C2:C7", CellIsRule(operator="greaterThan", formula=["12"], font=Font(italic=True)))
    add_name(book, "values", "rday!$C$2:$C$7")
    if table:
        sheet.add_table(Table(displayName="records", ref="A1:E7"))
        add_name(book, "head", "'rday'!$A$1:$E$2")
    notes = book.create_sheet("notes")
    notes["A1"] = "left alone"
    notes["A2"] = "=rday!C2+1"
    chart = LineChart()
    chart.title = "values"
    chart.add_data(Reference(sheet, min_col=3, min_row=1, max_row=7), titles_from_data=True)
    notes.add_chart(chart, "C3")
    book.save(path)


def text(value):
    if isinstance(value, (datetime.datetime, datetime.date)):
        return value.isoformat()
    return value


def note_comment(out, sheet, cell):
    if cell.comment:
        out["comments"][sheet.title + "!" + cell.coordinate] = cell.comment.text


def note_layout(out, sheet, cells):
    """A sheet's cells, merged ranges and custom column widths into a dump."""
    out["cells"][sheet.title] = cells
    out["merged"][sheet.title] = sorted(str(r) for r in sheet.merged_cells.ranges)
    out["widths"][sheet.title] = {k: d.width for k, d in sheet.column_dimensions.items()
                                  if d.customWidth}


def dump(path):
    book = openpyxl.load_workbook(path)
    out = {"sheets": book.sheetnames, "cells": {}, "names": {}, "merged": {}, "widths": {},
           "conditional": {}, "comments": {}, "charts": {}, "tables": {}}
    names = book.defined_names
    for defined in (names.definedName if hasattr(names, "definedName") else names.values()):
        out["names"][defined.name] = defined.attr_text
    for sheet in book.worksheets:
        cells = {}
        for row in sheet.iter_rows():
            for cell in row:
                if cell.value is None and not cell.has_style:
                    continue
                cells[cell.coordinate] = [text(cell.value), cell.data_type, cell.number_format,
                                          bool(cell.font.b), cell.fill.fgColor.rgb
                                          if cell.fill and cell.fill.fill_type else None]
                note_comment(out, sheet, cell)
        note_layout(out, sheet, cells)
        out["conditional"][sheet.title] = sorted(str(r.sqref)
                                                 for r in sheet.conditional_formatting)
        out["charts"][sheet.title] = len(sheet._charts)
        for table in sheet.tables.values():
            out["tables"][table.displayName] = [table.ref, table.autoFilter.ref
                                                if table.autoFilter else None]
    print(json.dumps(out, default=str))


if __name__ == "__main__":
    {"make": make, "make-table": lambda path: make(path, True),
     "dump": dump}[sys.argv[1]](sys.argv[2])
