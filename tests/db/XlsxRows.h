#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QVariant>

// Strict comparison of workbook rows: same shape, same value types, same values.
namespace rp::test {

inline QString describeCell(const QVariant& v) {
    if (v.isNull())
        return QStringLiteral("null");
    return QStringLiteral("%1(%2)").arg(QString::fromLatin1(v.typeName()),
                                        v.typeId() == QMetaType::QDateTime
                                            ? v.toDateTime().toString(Qt::ISODateWithMs)
                                            : v.toString());
}

// Empty when equal; otherwise where the first difference is.
inline QString rowsDifference(const QList<QVariantList>& actual,
                              const QList<QVariantList>& expected) {
    if (actual.size() != expected.size())
        return QStringLiteral("%1 rows instead of %2").arg(actual.size()).arg(expected.size());
    for (qsizetype r = 0; r < actual.size(); ++r) {
        const QVariantList& a = actual[r];
        const QVariantList& e = expected[r];
        if (a.size() != e.size())
            return QStringLiteral("row %1 has %2 cells instead of %3")
                .arg(r + 1)
                .arg(a.size())
                .arg(e.size());
        for (qsizetype c = 0; c < a.size(); ++c) {
            const bool same = a[c].isNull() == e[c].isNull() &&
                              (a[c].isNull() || (a[c].typeId() == e[c].typeId() && a[c] == e[c]));
            if (!same)
                return QStringLiteral("row %1 cell %2: %3 instead of %4")
                    .arg(r + 1)
                    .arg(c + 1)
                    .arg(describeCell(a[c]), describeCell(e[c]));
        }
    }
    return {};
}

} // namespace rp::test
