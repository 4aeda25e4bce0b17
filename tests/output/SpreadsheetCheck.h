#pragma once

// Reading written workbooks back in the spreadsheet tests: cells through python3-openpyxl, chart
// parts straight from the zip with Python's zipfile.

#include <QByteArray>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

namespace rp::test {

inline const char* systemPython = "/usr/bin/python3";

inline void writeFile(const QString& path, const QByteArray& text) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
}

// {"sheets": [...], "cells": {sheet: {"A1": {type, value, format, colour, align}}},
// "widthA": {sheet: width}}; an empty object (and a failed check) when openpyxl cannot read it.
inline QJsonObject readWorkbookCells(const QString& path, int rows = 40) {
    QProcess python;
    python.start(QLatin1String(systemPython),
                 {QFINDTESTDATA("xlsx_cells.py"), path, QString::number(rows)});
    if (!python.waitForFinished(60000) || python.exitCode() != 0) {
        qWarning("openpyxl: %s", python.readAllStandardError().constData());
        return {};
    }
    return QJsonDocument::fromJson(python.readAllStandardOutput()).object();
}

inline bool openpyxlAvailable() {
    QProcess python;
    python.start(QLatin1String(systemPython),
                 {QStringLiteral("-c"), QStringLiteral("import openpyxl")});
    return python.waitForFinished(30000) && python.exitCode() == 0;
}

inline QJsonObject cellOf(const QJsonObject& book, const QString& sheet, const QString& cell) {
    return book.value(QStringLiteral("cells"))
        .toObject()
        .value(sheet)
        .toObject()
        .value(cell)
        .toObject();
}

// One part of a zip file; empty when it is missing.
inline QByteArray zipPart(const QString& path, const QString& part) {
    QProcess python;
    python.start(
        QLatin1String(systemPython),
        {QStringLiteral("-c"),
         QStringLiteral("import sys, zipfile\n"
                        "sys.stdout.buffer.write(zipfile.ZipFile(sys.argv[1]).read(sys.argv[2]))"),
         path, part});
    if (!python.waitForFinished(60000) || python.exitCode() != 0)
        return {};
    return python.readAllStandardOutput();
}

} // namespace rp::test

#define RP_REQUIRE_OPENPYXL()                                                                      \
    if (!rp::test::openpyxlAvailable())                                                            \
    QSKIP("python3-openpyxl is not installed")
