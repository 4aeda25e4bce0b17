#include "core/series/SeriesRetrieval.h"

#include "core/base/Error.h"
#include "core/base/JetDate.h"
#include "core/db/Database.h"
#include "core/hdb/Retrieval.h"
#include "core/series/SeriesFile.h"

namespace rp {

namespace {

// The date as the date boxes hold it, "05-Mar-1999".
QString boxDate(const QString& text) {
    const auto date = parseJetDateTime(text.trimmed());
    if (!date)
        throw Error(QStringLiteral("\"%1\" is not a date.").arg(text));
    return jetDateText(date->date());
}

} // namespace

int writeSeriesFromDatabase(Database& database, const QString& key, TimeStep step,
                            const QString& from, const QString& to, const QString& path) {
    bool isNumber = false;
    const qlonglong id = key.trimmed().toLongLong(&isNumber);
    if (!isNumber)
        throw Error(QStringLiteral("The datatype_site_id \"%1\" is not a number.").arg(key));
    const QString keyText = QString::number(id);
    const auto site =
        database.open(QStringLiteral("SELECT site_name, datatype_name, unit_name FROM rsite WHERE "
                                     "datatype_site_id=%1;")
                          .arg(keyText),
                      LockType::ReadOnly);
    if (site->isEmpty())
        throw Error(QStringLiteral("There is no parameter %1 in rsite.").arg(keyText));

    SeriesRequest request;
    request.step = step;
    request.startText = boxDate(from);
    request.endText = boxDate(to);
    request.description = seriesDescription(keyText, site->displayText(0, 0),
                                            site->displayText(0, 1), site->displayText(0, 2), step);
    const auto records =
        database.open(retrievalStatement(step, keyText, request.startText,
                                         retrievalUpperBound(step, request.endText)),
                      LockType::ReadOnly);
    return writeSeriesFile(*records, request, path);
}

} // namespace rp
