#pragma once

#include <QString>
#include <QVariant>

namespace rp {

class Database;

// How the monthly and yearly aggregates of the daily table become rows of rmonth and ryear.

// The source mark of a row the daily table computed.
inline constexpr int aggregateSource = 5;

// "3/01/2005": the month without a leading zero, the first day, the four-digit year.
QString monthRowDate(int year, int month);
// "01/01/2005".
QString yearRowDate(int year);

// The parameter whose rows are written, from the text of the mode box. Throws rp::Error unless it
// is a whole number (the identifier of a retrieved series), so it can stand in a statement.
qint64 aggregateParameter(const QString& modeText);

// The statement that removes the row a write replaces: "Delete * from rmonth where
// datatype_site_id=1001 and date_time= #3/01/2005#;".
QString aggregateDeleteStatement(const QString& table, qint64 parameter, const QString& date);

// The number an aggregate stores: a double as it is, a cell text (leading blanks and all) read as
// the number it shows. Throws rp::Error for a text that is not a number.
double aggregateNumber(const QVariant& value);

// Why the database a connection string names cannot take written aggregates (an Access file, a
// read-only file, a connection string that names nothing usable); empty when it can.
QString writeBackRefusal(const QString& connectionString);
// The same for the database open now through `connectionString` (null when none is): its own
// reason first (an Access file, a legacy workbook), then what the connection string says.
QString writeBackRefusal(const Database* open, const QString& connectionString);

} // namespace rp
