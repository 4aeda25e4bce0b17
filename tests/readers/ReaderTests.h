#pragma once

// Helpers of the readers' tests: find a series, add its values up, read a whole file.

#include "formats/readers/ReadResult.h"

#include <QFile>
#include <QTest>

namespace rp::test {

// The series of site and parameter (and statistic when given); fails the test when absent.
inline const readers::Series* findSeries(const readers::ReadResult& r, const QString& site,
                                         const QString& parameter, const QString& statistic = {}) {
    for (const readers::Series& s : r.series)
        if (s.siteId == site && s.parameter == parameter &&
            (statistic.isEmpty() || s.statistic == statistic))
            return &s;
    return nullptr;
}

inline double sumOf(const readers::Series& s) {
    double sum = 0;
    for (const readers::Value& v : s.values)
        sum += v.value;
    return sum;
}

inline QByteArray fileBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

inline QDateTime at(const char* text) {
    QDateTime t = QDateTime::fromString(QString::fromLatin1(text), Qt::ISODate);
    t.setTimeSpec(Qt::UTC);
    return t;
}

inline int countOf(const readers::ReadResult& r, readers::WarningKind kind) {
    int n = 0;
    for (const readers::ReadWarning& w : r.warnings)
        n += w.kind == kind;
    return n;
}

} // namespace rp::test
