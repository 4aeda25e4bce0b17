#pragma once

#include "core/base/Error.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>
#include <functional>
#include <optional>

namespace rp {

class XlsxReader;

// Cells a change writes on a sheet: columnCount columns from firstColumn (from 0) over rowCount
// rows from firstRow (from 1). values() is asked for each of those rows once, in order, and fills
// the row's values (null empties a cell; a shorter list leaves the rest empty). Values are typed
// as XlsxTableWriter takes them.
struct XlsxCellBlock {
    int firstColumn = 0;
    int columnCount = 1;
    int firstRow = 1;
    int rowCount = 0;
    // The cells of these columns below the block are emptied too.
    bool clearBelow = false;
    // A new cell takes the style of the nearest cell above it in its column, from this row on.
    int styleFromRow = 1;
    // A date written into a cell without a date style is shown with this number format (empty:
    // yyyy-mm-dd, with the time when it has one).
    QByteArray dateFormat;
    // When set (from 0), every cell the block gives a value takes this cell style.
    int style = -1;
    std::function<void(int row, QVariantList& values)> values;
    // When set, only these rows (ascending) and every row from everyRowFrom on (when above 0)
    // can differ from what the sheet holds: the others are copied without being read, and
    // values() may be asked for the rows of the block in any order.
    std::optional<QList<int>> onlyRows;
    int everyRowFrom = 0;
};

// A change the editor does not make in place, so that it is made another way: a written cell
// that anchors a shared or array formula, or a workbook without cell styles.
class XlsxPatchRefused : public Error {
public:
    using Error::Error;
};

// What a sheet's XML needs from its workbook while it is changed.
struct XlsxSheetContext {
    const XlsxReader* reader = nullptr;
    QString part;
    // A cell style that shows dates with the number format `format`, added to the workbook on
    // demand.
    std::function<int(const QByteArray& format)> dateStyle;
};

struct XlsxSheetPatchResult {
    QByteArray xml;
    bool changed = false;         // a cell was written or emptied
    bool hasFormulas = false;     // the sheet holds a formula
    bool formulaReplaced = false; // a formula was written over
    int lastRow = 0;              // the used range's extent after the change
    int lastColumn = 0;
    // When rows given values continue the sheet below its dimension: its last row before and the
    // last of those rows.
    int lastRowBefore = 0;
    int lastRowAfter = 0;
};

// The sheet's XML with the blocks written: every cell whose value already is the wanted one is
// kept as it is (formula and all), a changed cell keeps its style, new rows and cells are put in
// order, and everything else (other cells, row and column formats, merged cells, conditional
// formats) is copied byte for byte. The dimension grows to cover new cells. Throws rp::Error
// for damaged XML and XlsxPatchRefused as above.
XlsxSheetPatchResult patchSheetXml(const QByteArray& xml, const QList<XlsxCellBlock>& blocks,
                                   const XlsxSheetContext& context);

} // namespace rp
