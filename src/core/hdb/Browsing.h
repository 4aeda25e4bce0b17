#pragma once

#include "core/base/TimeStep.h"

#include <QString>

namespace rp {

// The statements and decisions of the site and parameter lists and the table list. Every value
// that goes into SQL is checked first: keys must be numbers, table names are quoted when they are
// not plain names.

// Whole number or decimal text (an optional sign, digits, an optional fraction), nothing else.
bool isNumberText(const QString& text);

QString siteListStatement();
// All parameters of site siteId. Throws rp::Error when siteId is not a number.
QString parameterListStatement(const QString& siteId);
// Parameters of site siteId with at least one value of the time step between start and the day
// after end. Throws rp::Error when siteId is not a number or end is not a date.
QString parameterListWithDataStatement(const QString& siteId, TimeStep step, const QString& start,
                                       const QString& end);

QString tableListStatement();
// "SELECT * FROM rsite order by site_id;" for rsite, else "SELECT * FROM name;" with the name in
// brackets unless it is a plain name. Throws rp::Error for a name that cannot be quoted.
QString wholeTableStatement(const QString& table);
QString quotedTableName(const QString& table);

// What a double-click in the grid does, from the first column's caption.
enum class GridDispatch { Nothing, ParametersWithData, Go, OpenTable };
GridDispatch gridDoubleClickDispatch(const QString& firstColumnCaption);

// Column widths in twips at the reference grid width, before scaling by the factor f.
inline constexpr int referenceGridWidth = 11335;
double columnWidthFactor(int gridWidthTwips, bool parameterList, int screenWidthPixels);

} // namespace rp
