#pragma once

#include <QByteArrayView>
#include <QFile>
#include <QString>

namespace rp {

// A file written beside its target and put in the target's place only when it is whole: a
// failed or killed run leaves the previous file as it was. The temporary is named
// ".NAME.rivelpost-tmp-PID-N" in the target's folder; those left by a run that was killed are
// removed when the next run writes the same target. Throws rp::Error naming the target.
class SaveFile {
public:
    enum class Sync { ToDisk, Skip };
    enum class Replace { Existing, Never };

    // Creates the empty temporary, open for writing, with an existing target's permissions.
    explicit SaveFile(const QString& target, Sync sync = Sync::ToDisk);
    // Removes the temporary unless it was committed.
    ~SaveFile();
    SaveFile(const SaveFile&) = delete;
    SaveFile& operator=(const SaveFile&) = delete;

    const QString& target() const { return m_target; }
    // For writers that take a file name; they write over the empty temporary.
    const QString& temporaryPath() const { return m_temporary; }
    QFile& device() { return m_file; }
    void write(QByteArrayView bytes);
    // Puts the temporary in the target's place.
    // With Replace::Never an existing target is left alone and the commit refused.
    void commit(Replace replace = Replace::Existing);

private:
    QString m_target;
    QString m_temporary;
    QFile m_file;
    Sync m_sync;
    bool m_committed = false;
};

// Writes `content` as the whole of `target`, through a SaveFile.
void saveFile(const QString& target, QByteArrayView content);

// Removes the temporaries of `target` whose process is no longer running.
void removeStaleSaveFiles(const QString& target);

} // namespace rp
