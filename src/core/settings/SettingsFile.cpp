#include "core/settings/SettingsFile.h"

#include "core/base/Error.h"
#include "core/base/SaveFile.h"

#include <QFile>

namespace rp {

SettingsFile SettingsFile::read(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(
            QStringLiteral("Cannot read the settings file %1: %2").arg(path, file.errorString()));
    return parse(file.readAll());
}

SettingsFile SettingsFile::parse(const QByteArray& bytes) {
    const QString text = QString::fromLatin1(bytes);
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& line : lines)
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    SettingsFile settings;
    settings.connectionString = lines.value(0).trimmed();
    // A trailing line end leaves one empty piece: that is not a second line.
    if (lines.size() > 1 && !(lines.size() == 2 && lines[1].isEmpty())) {
        settings.backdrop = lines[1];
        settings.hasBackdrop = true;
    }
    return settings;
}

QByteArray SettingsFile::bytes() const {
    QByteArray bytes = connectionString.trimmed().toLatin1() + "\r\n";
    if (hasBackdrop)
        bytes += backdrop.toLatin1() + "\r\n";
    return bytes;
}

void SettingsFile::write(const QString& path) const {
    const QByteArray bytes = this->bytes();
    SaveFile file(path);
    // The connection string may hold a password: the file is for its owner's eyes only, also
    // when it replaces one that others could read (set before anything is written).
    if (!file.device().setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        throw Error(QStringLiteral("Cannot write the settings file %1: its permissions cannot be "
                                   "set.")
                        .arg(path));
    file.write(bytes);
    file.commit();
}

} // namespace rp
