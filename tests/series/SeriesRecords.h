#pragma once

#include "core/base/JetDate.h"
#include "core/db/RecordSet.h"
#include "core/db/RecordSetBuilder.h"

#include <QStringList>
#include <memory>

namespace rp::test {

// A retrieved series from "YYYY-MM-DD[ HH:MM]=value" texts (an empty value is a null), with the
// columns of a value table.
inline std::unique_ptr<RecordSet> seriesRecords(const QStringList& rows) {
    RecordSet::Builder builder;
    const int key = builder.addField(QStringLiteral("datatype_site_id"), FieldType::Integer);
    const int date = builder.addField(QStringLiteral("date_time"), FieldType::DateTime);
    const int value = builder.addField(QStringLiteral("value"), FieldType::Real);
    const int source = builder.addField(QStringLiteral("source"), FieldType::Integer);
    for (const QString& row : rows) {
        const qsizetype eq = row.indexOf(QLatin1Char('='));
        builder.appendInteger(key, 1001);
        builder.appendValue(date, *parseIsoDateTime(row.left(eq)));
        const QString text = row.mid(eq + 1);
        if (text.isEmpty())
            builder.appendNull(value);
        else
            builder.appendReal(value, text.toDouble());
        builder.appendInteger(source, 34);
    }
    return builder.build();
}

// Lines joined with CR LF, each ended by one.
inline QByteArray crlfLines(const QStringList& lines) {
    QByteArray out;
    for (const QString& line : lines)
        out += line.toLatin1() + "\r\n";
    return out;
}

} // namespace rp::test
