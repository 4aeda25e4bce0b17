#include "core/settings/WindowGeometry.h"

#include "core/base/Error.h"
#include "core/settings/AppPaths.h"

#include <QDir>
#include <QSettings>

namespace rp {

QString WindowGeometry::filePath() {
    return QDir(AppPaths::programFolder()).filePath(QLatin1String(fileName));
}

QByteArray WindowGeometry::load(const QString& window) {
    return value(window, QStringLiteral("geometry")).toByteArray();
}

void WindowGeometry::save(const QString& window, const QByteArray& geometry) {
    save(window, QVariantMap{{QStringLiteral("geometry"), geometry}});
}

QVariant WindowGeometry::value(const QString& window, const QString& name) {
    const QSettings settings(filePath(), QSettings::IniFormat);
    return settings.value(window + QLatin1Char('/') + name);
}

void WindowGeometry::save(const QString& window, const QVariantMap& values) {
    QSettings settings(filePath(), QSettings::IniFormat);
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        settings.setValue(window + QLatin1Char('/') + it.key(), it.value());
    // QSettings replaces the file whole through a temporary one.
    settings.sync();
    if (settings.status() != QSettings::NoError)
        throw Error(QStringLiteral("Cannot write the window positions to %1.").arg(filePath()));
}

} // namespace rp
