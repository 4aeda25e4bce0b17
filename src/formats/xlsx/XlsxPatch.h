#pragma once

#include "formats/xlsx/XlsxSheetPatch.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <memory>

namespace rp {

class XlsxReader;

// Changes an .xlsx workbook in place: the cells given are written into their sheets' XML, and
// every part the change does not touch is copied into the new package byte for byte, still
// compressed (other sheets, charts, pictures, comments, styles, names). Dates that need a date
// format get one added to the styles; when formulas may depend on a changed cell the workbook is
// marked to recalculate on opening, and a replaced formula drops the calculation chain (the
// spreadsheet program rebuilds it). Rows appended below a sheet's last row extend the tables and
// defined names that reached down to it.
class XlsxPatch {
public:
    // Throws rp::Error when the workbook cannot be read.
    explicit XlsxPatch(const QString& path);
    ~XlsxPatch();
    XlsxPatch(const XlsxPatch&) = delete;
    XlsxPatch& operator=(const XlsxPatch&) = delete;

    const XlsxReader& reader() const { return *m_reader; }
    // Cells to write on a sheet (found without regard to case; throws rp::Error when missing).
    // The blocks' values are asked for while write() runs.
    void setCells(const QString& sheet, const XlsxCellBlock& block);
    // True when the workbook has a worksheet of that name, read or added (without regard to
    // case).
    bool hasSheet(const QString& sheet) const;
    // Adds an empty worksheet after the others.
    void addSheet(const QString& sheet, bool hidden);
    // Gives a column of the sheet (from 0) its own width, in the units of the sheet's XML.
    void setColumnWidth(const QString& sheet, int column, const QByteArray& width);
    // A cell style that shows its text in white, added to the workbook on demand.
    int whiteTextStyle();
    // A cell style with the number format `code` (empty: General), aligned right when asked,
    // added to the workbook on demand.
    int cellStyle(const QByteArray& code, bool rightAligned);
    // Removes the sheet's last chart; its drawing keeps every other picture and chart.
    void removeLastChart(const QString& sheet);
    // Adds the chart of the first drawing of `chartBook` to the sheet, after its other pictures
    // and charts: a workbook the program wrote with a sheet of the same name, so that the chart's
    // ranges are right as they are. Throws rp::Error.
    void addChart(const QString& sheet, const QString& chartBook);
    // Writes the changed workbook as the new file `target` (the original stays as it is).
    // Throws rp::Error, or XlsxPatchRefused for a change that cannot be made in place.
    void write(const QString& target);

private:
    QByteArray partBytes(const QString& part) const;
    bool partExists(const QString& part) const;
    void setPart(const QString& part, const QByteArray& bytes);
    // A new part: written after the copied ones, its content type declared.
    void addPart(const QString& part, const QByteArray& bytes, const QByteArray& contentType);
    // A part dropped with its content type and its own relationships part.
    void removePart(const QString& part);
    // The first part name of the pattern ("xl/charts/chart%1.xml") that no part has.
    QString freePartName(const char* pattern) const;
    // A relationship added to the source part's rels part (made when missing); gives its id.
    QString addRelationship(const QString& sourcePart, const char* type, const QString& target);
    void removeRelationship(const QString& sourcePart, const QString& id);
    QString sheetPartOf(const QString& sheet) const;
    // The sheet's drawing part; empty when it has none.
    QString drawingOf(const QString& sheetPart) const;
    // The styles part's bytes; XlsxPatchRefused(refused) when the workbook has none.
    QByteArray stylesBytes(const QString& refused) const;
    int dateStyle(const QByteArray& format);
    bool otherSheetsHaveFormulas(const QStringList& patched) const;
    void markForRecalculation();
    void dropCalculationChain();
    // Tables and defined names over a sheet's rows down to its last one grow with appended rows.
    void growRanges(const QString& sheetPart, int oldLast, int newLast);
    void writeZip(const QString& target) const;

    QString m_path;
    std::unique_ptr<XlsxReader> m_reader;
    QList<QPair<QString, QList<XlsxCellBlock>>> m_sheets; // part name, its blocks
    QHash<QString, QByteArray> m_changed;                 // part name -> new bytes
    QStringList m_removed;                                // lower-case part names
    QStringList m_added;                                  // part names, in order
    QList<QPair<QString, QString>> m_addedSheets;         // name, part
    QString m_stylesPart;
    QHash<QByteArray, int> m_cellStyles; // by number format and alignment
    int m_whiteStyle = -1;
};

} // namespace rp
