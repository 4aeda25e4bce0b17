#!/usr/bin/env python3
"""An update workbook of the user's own for the in-place UPDATE tests, and what is in one.

usage: update_book.py make BOOK.xlsx   Sheet1 with formats, formulas, a comment, a defined name,
                                       merged cells, two charts and a picture; Sheet2 with a
                                       formula and a chart; Sheet3 and a sheet "notes"
       update_book.py make-prefixed BOOK.xlsx   the same with its styles part written with a
                                       namespace prefix (x:styleSheet)
       update_book.py make-chartsheet BOOK.xlsx   a chart sheet named Sheet1 before a sheet
                                       "data"
       update_book.py dump BOOK.xlsx   every cell of every sheet, names, merges, widths,
                                       comments and the charts openpyxl reads, as JSON
       update_book.py parts BOOK.xlsx SHEET   the sheet's part, rels part, drawing, drawing rels
                                       and the chart parts in drawing order, as JSON
"""
import base64
import json
import os
import posixpath
import re
import sys
import zipfile

import openpyxl
from openpyxl.chart import LineChart, Reference
from openpyxl.comments import Comment
from openpyxl.styles import Font, PatternFill

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "db"))
# The in-place change tests' own helpers.
from xlsx_keep import add_name, note_comment, note_layout, text  # noqa: E402

PNG = base64.b64decode(
    "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mP8z8DwHwAFBQIAX8jx0gAAAABJRU5ErkJggg==")
REL = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"


def chart(sheet, title, column, first, last, anchor):
    made = LineChart()
    made.title = title
    made.add_data(Reference(sheet, min_col=column, min_row=first, max_row=last))
    sheet.add_chart(made, anchor)


def resolve(source, target):
    if target.startswith("/"):
        return target[1:]
    return posixpath.normpath(posixpath.join(posixpath.dirname(source), target))


def rels_of(zf, part):
    name = posixpath.join(posixpath.dirname(part), "_rels", posixpath.basename(part) + ".rels")
    if name not in zf.namelist():
        return name, {}
    text = zf.read(name).decode()
    found = {}
    for tag in re.findall(r"<Relationship\b[^>]*>", text):
        rid = re.search(r'Id="([^"]*)"', tag).group(1)
        found[rid] = resolve(part, re.search(r'Target="([^"]*)"', tag).group(1))
    return name, found


def parts(path, sheet_name):
    zf = zipfile.ZipFile(path)
    workbook = resolve("", re.search(r'Target="([^"]*)"', [
        t for t in re.findall(r"<Relationship\b[^>]*>", zf.read("_rels/.rels").decode())
        if "officeDocument\"" in t or "/officeDocument" in t][0]).group(1))
    book_xml = zf.read(workbook).decode()
    _, book_rels = rels_of(zf, workbook)
    for tag in re.findall(r"<(?:\w+:)?sheet\b[^>]*>", book_xml):
        if re.search(r'name="([^"]*)"', tag).group(1) == sheet_name:
            sheet = book_rels[re.search(r':id="([^"]*)"', tag).group(1)]
    out = {"sheet": sheet, "charts": []}
    out["rels"], sheet_rels = rels_of(zf, sheet)
    drawing = re.search(r"<(?:\w+:)?drawing\b[^>]*:id=\"([^\"]*)\"", zf.read(sheet).decode())
    if drawing:
        out["drawing"] = sheet_rels[drawing.group(1)]
        out["drawingRels"], drawing_rels = rels_of(zf, out["drawing"])
        text = zf.read(out["drawing"]).decode()
        for rid in re.findall(r"<(?:\w+:)?chart\b[^>]*:id=\"([^\"]*)\"", text):
            out["charts"].append(drawing_rels[rid])
    print(json.dumps(out))


def read_entries(path):
    with zipfile.ZipFile(path) as zf:
        return {name: zf.read(name) for name in zf.namelist()}


def write_entries(path, entries):
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as out:
        for name, data in entries.items():
            out.writestr(name, data)


def add_picture_last(path):
    """The picture after the charts in Sheet1's drawing: the last object is no chart."""
    entries = read_entries(path)
    _, sheet_rels = rels_of(zipfile.ZipFile(path), "xl/worksheets/sheet1.xml")
    drawing = [t for t in sheet_rels.values() if "drawings/" in t][0]
    rels_name = posixpath.join(posixpath.dirname(drawing), "_rels",
                               posixpath.basename(drawing) + ".rels")
    anchor = ('<xdr:oneCellAnchor xmlns:xdr="http://schemas.openxmlformats.org/drawingml/2006/'
              'spreadsheetDrawing" xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main">'
              '<xdr:from><xdr:col>3</xdr:col><xdr:colOff>0</xdr:colOff>'
              '<xdr:row>30</xdr:row><xdr:rowOff>0</xdr:rowOff></xdr:from>'
              '<xdr:ext cx="190500" cy="190500"/><xdr:pic><xdr:nvPicPr>'
              '<xdr:cNvPr id="50" name="Picture 50"/><xdr:cNvPicPr/></xdr:nvPicPr>'
              '<xdr:blipFill><a:blip xmlns:r="' + REL + '" r:embed="rIdPicture"/>'
              '<a:stretch><a:fillRect/></a:stretch></xdr:blipFill><xdr:spPr>'
              '<a:prstGeom prst="rect"><a:avLst/></a:prstGeom></xdr:spPr></xdr:pic>'
              '<xdr:clientData/></xdr:oneCellAnchor>')
    text = entries[drawing].decode()
    root_end = text.rindex("</")
    entries[drawing] = (text[:root_end] + anchor + text[root_end:]).encode()
    rels = entries[rels_name].decode()
    entries[rels_name] = rels.replace(
        "</Relationships>", '<Relationship Id="rIdPicture" Type="' + REL +
        '/image" Target="/xl/media/picture1.png"/></Relationships>').encode()
    types = entries["[Content_Types].xml"].decode()
    if 'Extension="png"' not in types:
        types = types.replace("</Types>",
                              '<Default Extension="png" ContentType="image/png"/></Types>')
    entries["[Content_Types].xml"] = types.encode()
    entries["xl/media/picture1.png"] = PNG
    write_entries(path, entries)


def make(path):
    book = openpyxl.Workbook()
    one = book.active
    one.title = "Sheet1"
    one["A1"] = "an old header"
    one["A11"] = "stale"
    one["B11"] = 9
    one["B11"].number_format = "0.000"
    one["B40"] = 123
    one["D4"] = "my notes"
    one["D4"].font = Font(bold=True, color="FFFF0000")
    one["D4"].fill = PatternFill("solid", fgColor="FFFFFF00")
    one["D4"].comment = Comment("the user's comment", "hydrologist")
    one["E5"] = "=SUM(B11:B15)"
    one["G3"] = 2.5
    one["G3"].number_format = "0.00"
    one["G4"] = "=G3*4"
    one.column_dimensions["D"].width = 30
    one.merge_cells("H20:I21")
    one["H20"] = "merged"
    add_name(book, "rate", "Sheet1!$G$3")
    chart(one, "user chart", 7, 3, 4, "K2")
    chart(one, "old program chart", 2, 11, 15, "K30")
    two = book.create_sheet("Sheet2")
    two["A1"] = "=Sheet1!G3*2"
    two["B2"] = "kept"
    two["C3"] = 7
    chart(two, "other chart", 3, 3, 3, "E5")
    book.create_sheet("Sheet3")
    book.create_sheet("notes")["A1"] = "left alone"
    book.save(path)
    add_picture_last(path)


def make_prefixed(path):
    make(path)
    entries = read_entries(path)
    styles = entries["xl/styles.xml"].decode()
    styles = re.sub(r"<(/?)(?![?!])(\w+)", r"<\1x:\2", styles)
    entries["xl/styles.xml"] = styles.replace(" xmlns=", " xmlns:x=", 1).encode()
    write_entries(path, entries)


def make_chartsheet(path):
    book = openpyxl.Workbook()
    data = book.active
    data.title = "data"
    data["A1"] = 1
    data["A2"] = 2
    made = LineChart()
    made.add_data(Reference(data, min_col=1, min_row=1, max_row=2))
    book.create_chartsheet("Sheet1", 0).add_chart(made)
    book.save(path)


def title_of(made):
    try:
        return "".join(run.t for p in made.title.tx.rich.p for run in (p.r or []))
    except AttributeError:
        return None


def dump(path):
    book = openpyxl.load_workbook(path)
    out = {"sheets": book.sheetnames, "hidden": [], "cells": {}, "names": {}, "merged": {},
           "widths": {}, "comments": {}, "charts": {}}
    names = book.defined_names
    for defined in (names.definedName if hasattr(names, "definedName") else names.values()):
        out["names"][defined.name] = defined.attr_text
    for sheet in book.worksheets:
        if sheet.sheet_state != "visible":
            out["hidden"].append(sheet.title)
        cells = {}
        for row in sheet.iter_rows():
            for cell in row:
                if cell.value is None and not cell.has_style:
                    continue
                colour = cell.font.color.rgb if cell.font and cell.font.color is not None else None
                cells[cell.coordinate] = [
                    text(cell.value), cell.data_type, cell.number_format, bool(cell.font.b),
                    cell.fill.fgColor.rgb if cell.fill and cell.fill.fill_type else None,
                    colour if isinstance(colour, str) else None, cell.alignment.horizontal]
                note_comment(out, sheet, cell)
        note_layout(out, sheet, cells)
        out["charts"][sheet.title] = [
            [title_of(c), c.series[0].val.numRef.f if c.series else None] for c in sheet._charts]
    print(json.dumps(out, default=str))


if __name__ == "__main__":
    {"make": lambda: make(sys.argv[2]), "make-prefixed": lambda: make_prefixed(sys.argv[2]),
     "make-chartsheet": lambda: make_chartsheet(sys.argv[2]),
     "dump": lambda: dump(sys.argv[2]),
     "parts": lambda: parts(sys.argv[2], sys.argv[3])}[sys.argv[1]]()
