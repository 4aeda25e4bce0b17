#include "core/settings/WindowGeometry.h"

#include "core/base/Error.h"
#include "core/settings/AppPaths.h"

#include <QDir>
#include <QSettings>

namespace rp {

namespace {

QString key(const QString& window) {
    return window + QStringLiteral("/geometry");
}

} // namespace

QString WindowGeometry::filePath() {
    return QDir(AppPaths::programFolder()).filePath(QLatin1String(fileName));
}

QByteArray WindowGeometry::load(const QString& window) {
    const QSettings settings(filePath(), QSettings::IniFormat);
    return settings.value(key(window)).toByteArray();
}

void WindowGeometry::save(const QString& window, const QByteArray& geometry) {
    QSettings settings(filePath(), QSettings::IniFormat);
    settings.setValue(key(window), geometry);
    // QSettings replaces the file whole through a temporary one.
    settings.sync();
    if (settings.status() != QSettings::NoError)
        throw Error(QStringLiteral("Cannot write the window positions to %1.").arg(filePath()));
}

} // namespace rp
