#pragma once

#include "core/base/Error.h"

#include <QByteArray>
#include <QHash>
#include <QIODevice>
#include <QList>
#include <QString>
#include <functional>
#include <memory>

class QXmlStreamReader;

class QuaZip;
class QuaZipFile;

namespace rp {

// A part of a package read as a stream, never held whole: it passes the part's bytes on only as
// far as allowance() (asked before each piece) allows, and ends early once they outgrow it.
class XlsxPartStream : public QIODevice {
public:
    XlsxPartStream(std::unique_ptr<QuaZipFile> file, std::function<qint64()> allowance);
    ~XlsxPartStream() override;
    bool isSequential() const override { return true; }
    qint64 delivered() const { return m_delivered; }
    bool overran() const { return m_overran; }
    bool damaged() const { return m_damaged; }
    // Reads on to the end (within the allowance), so that the zip's checksum is checked.
    void drain();

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    std::unique_ptr<QuaZipFile> m_file;
    std::function<qint64()> m_allowance;
    qint64 m_delivered = 0;
    bool m_overran = false;
    bool m_damaged = false;
    bool m_ended = false;
};

// The zip package of an .xlsx workbook: its parts by name (without regard to case, as the
// package rules say) and the relationships between them.
class XlsxPackage {
public:
    struct Relationship {
        QString id;
        QString type;   // the full type URI
        QString target; // a part name, resolved against the source part
    };

    // Throws rp::Error when the file is missing, unreadable or not a zip package.
    explicit XlsxPackage(const QString& path);
    ~XlsxPackage();

    const QString& path() const { return m_path; }
    bool has(const QString& partName) const;
    // The part's bytes, for the small parts read whole. Throws rp::Error when it is missing, its
    // data is damaged or it unpacks to more than such a part can need.
    QByteArray read(const QString& partName) const;
    // The part opened as a stream (XlsxPartStream) for the parts that grow with the data.
    // allowance() tells how many bytes what has been read so far accounts for; see
    // xmlAllowance(). Only one part is open at a time. Throws rp::Error as read() does.
    std::unique_ptr<XlsxPartStream> stream(const QString& partName,
                                           std::function<qint64()> allowance) const;
    // After a stream has been parsed: throws rp::Error when it outgrew its allowance (what, e.g.
    // "cells", names what the allowance counts: items of it were found), is damaged, or holds
    // malformed XML.
    void finish(const QString& partName, XlsxPartStream& stream, const QXmlStreamReader& xml,
                const QString& what, qint64 items) const;
    // The relationships of a part ("" for the package itself); none when it has no rels part.
    // External targets are left out.
    QList<Relationship> relationships(const QString& sourcePart) const;

    // The error for malformed XML in one of the parts.
    Error xmlError(const QString& partName, const QXmlStreamReader& xml) const;

    // A relationship target as a part name: "/xl/a.xml" from the package root, anything else
    // relative to the folder of the source part, with "." and ".." settled.
    static QString resolveTarget(const QString& sourcePart, const QString& target);

    // The relationships part of a part ("" for the package): "xl/_rels/workbook.xml.rels".
    static QString relsPartOf(const QString& sourcePart);

    // The bytes of XML that items elements of content (cells, rows, texts) can account for:
    // room for the part's frame and one very long cell, and a generous amount for each.
    static qint64 xmlAllowance(qint64 items);

private:
    // Makes the part current in the zip, after checking that its unpacked size is in reason.
    void select(const QString& partName, qint64 maxBytes) const;

    QString m_path;
    std::unique_ptr<QuaZip> m_zip;
    QHash<QString, QString> m_names; // lower-cased part name -> name in the zip
};

} // namespace rp
