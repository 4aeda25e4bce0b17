#include "core/base/SaveFile.h"

#include "core/base/Error.h"

#include <QDir>
#include <QFileInfo>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace rp {

namespace {

// ".NAME.rivelpost-tmp-": what every temporary of the target starts with.
QString temporaryPrefix(const QFileInfo& target) {
    return QLatin1Char('.') + target.fileName() + QLatin1String(".rivelpost-tmp-");
}

QString shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

bool processIsGone(qint64 pid) {
    return pid > 0 && pid != ::getpid() && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
}

} // namespace

void removeStaleSaveFiles(const QString& target) {
    const QFileInfo info(target);
    const QString prefix = temporaryPrefix(info);
    const QDir folder = info.absoluteDir();
    // No name filter: a file name may hold the filter's own wildcards.
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (!name.startsWith(prefix))
            continue;
        qsizetype end = prefix.size();
        while (end < name.size() && name[end].isDigit())
            ++end;
        bool ok = false;
        const qint64 pid =
            QStringView(name).sliced(prefix.size(), end - prefix.size()).toLongLong(&ok);
        if (ok && processIsGone(pid))
            QFile::remove(folder.filePath(name));
    }
}

SaveFile::SaveFile(const QString& target, Sync sync) : m_target(target), m_sync(sync) {
    static std::atomic<int> counter{0};
    const QFileInfo info(target);
    removeStaleSaveFiles(target);
    m_temporary = info.absoluteDir().filePath(
        temporaryPrefix(info) +
        QStringLiteral("%1-%2").arg(::getpid()).arg(counter.fetch_add(1) + 1));
    m_file.setFileName(m_temporary);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        throw Error(
            QStringLiteral("%1 cannot be written: %2").arg(shown(target), m_file.errorString()));
    // The previous file's permissions, unless the caller sets its own before writing.
    if (info.exists())
        m_file.setPermissions(info.permissions());
}

SaveFile::~SaveFile() {
    if (m_committed)
        return;
    m_file.close();
    QFile::remove(m_temporary);
}

void SaveFile::write(QByteArrayView bytes) {
    if (m_file.write(bytes.data(), bytes.size()) != bytes.size())
        throw Error(
            QStringLiteral("%1 cannot be written: %2").arg(shown(m_target), m_file.errorString()));
}

void SaveFile::commit(Replace replace) {
    const auto fail = [&](const QString& why) {
        throw Error(QStringLiteral("%1 cannot be written: %2; the previous file is unchanged.")
                        .arg(shown(m_target), why));
    };
    if (!m_file.flush())
        fail(m_file.errorString());
    m_file.close();
    if (m_file.error() != QFileDevice::NoError)
        fail(m_file.errorString());
    // Opened again by name: a writer given the name may have put a new file there.
    if (m_sync == Sync::ToDisk) {
        QFile written(m_temporary);
        if (!written.open(QIODevice::ReadOnly))
            fail(written.errorString());
        if (::fsync(written.handle()) != 0)
            fail(QString::fromLocal8Bit(std::strerror(errno)));
    }
    if (replace == Replace::Never) {
        // QFile::rename never replaces an existing file.
        if (!QFile::rename(m_temporary, m_target))
            fail(QFileInfo::exists(m_target) ? QStringLiteral("the file already exists")
                                             : QStringLiteral("it cannot be renamed"));
    } else {
        // One step: a reader sees the old file or the new one, never half of one.
        if (std::rename(QFile::encodeName(m_temporary).constData(),
                        QFile::encodeName(m_target).constData()) != 0)
            fail(QString::fromLocal8Bit(std::strerror(errno)));
    }
    m_committed = true;
}

void saveFile(const QString& target, QByteArrayView content) {
    SaveFile file(target);
    file.write(content);
    file.commit();
}

} // namespace rp
