#pragma once

#include "core/base/Error.h"

#include <QDir>
#include <QString>
#include <QTest>
#include <functional>

namespace rp::test {

// The folder of the shared real data, or an empty string (and a visible skip) when it is missing.
inline QString sharedDataFile(const QString& name) {
    const QString path = QDir(QStringLiteral(RIVELPOST_SHARED_DATA)).filePath(name);
    return QFileInfo::exists(path) ? path : QString();
}

// The message of the rp::Error that f throws, or "<no error>".
inline QString errorMessageOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const rp::Error& e) {
        return e.message();
    }
    return QStringLiteral("<no error>");
}

} // namespace rp::test

#define RP_REQUIRE_SHARED_DATA(var, name)                                                          \
    const QString var = rp::test::sharedDataFile(name);                                            \
    if (var.isEmpty())                                                                             \
    QSKIP(qPrintable(QStringLiteral("shared data file %1 is missing").arg(name)))
