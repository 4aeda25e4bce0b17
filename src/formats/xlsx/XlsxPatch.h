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
    // Writes the changed workbook as the new file `target` (the original stays as it is).
    // Throws rp::Error, or XlsxPatchRefused for a change that cannot be made in place.
    void write(const QString& target);

private:
    QByteArray partBytes(const QString& part) const;
    int dateStyle(bool withTime);
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
    QStringList m_removed;
    QString m_stylesPart;
    int m_dateStyles[2] = {-1, -1};
};

} // namespace rp
