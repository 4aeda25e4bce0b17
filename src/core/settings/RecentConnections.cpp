#include "core/settings/RecentConnections.h"

#include "core/base/Error.h"
#include "core/base/SaveFile.h"
#include "core/settings/AppPaths.h"

#include <QDir>
#include <QFile>

namespace rp {

RecentConnections::RecentConnections(QString path) : m_path(std::move(path)) {}

RecentConnections RecentConnections::inProgramFolder() {
    return RecentConnections(QDir(AppPaths::programFolder()).filePath(QLatin1String(fileName)));
}

QStringList RecentConnections::load() const {
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList list;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QString text = QString::fromLatin1(line).trimmed();
        if (!text.isEmpty() && !list.contains(text) && list.size() < capacity)
            list.append(text);
    }
    return list;
}

void RecentConnections::add(const QString& connectionString) const {
    const QString text = connectionString.trimmed();
    if (text.isEmpty())
        return;
    QStringList list = load();
    list.removeAll(text);
    list.prepend(text);
    QByteArray bytes;
    for (const QString& line : list.mid(0, capacity))
        bytes += line.toLatin1() + "\r\n";
    SaveFile file(m_path);
    // Connection strings may hold passwords: the list is for its owner's eyes only, also when it
    // replaces one that others could read (set before anything is written).
    if (!file.device().setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        throw Error(QStringLiteral("Cannot write the list of recent connections %1: its "
                                   "permissions cannot be set.")
                        .arg(m_path));
    file.write(bytes);
    file.commit();
}

} // namespace rp
