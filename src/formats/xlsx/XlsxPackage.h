#pragma once

#include "core/base/Error.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <memory>

class QXmlStreamReader;

class QuaZip;

namespace rp {

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
    // The part's bytes. Throws rp::Error when it is missing or its data is damaged.
    QByteArray read(const QString& partName) const;
    // The relationships of a part ("" for the package itself); none when it has no rels part.
    // External targets are left out.
    QList<Relationship> relationships(const QString& sourcePart) const;

    // The error for malformed XML in one of the parts.
    Error xmlError(const QString& partName, const QXmlStreamReader& xml) const;

    // A relationship target as a part name: "/xl/a.xml" from the package root, anything else
    // relative to the folder of the source part, with "." and ".." settled.
    static QString resolveTarget(const QString& sourcePart, const QString& target);

private:
    QString m_path;
    std::unique_ptr<QuaZip> m_zip;
    QHash<QString, QString> m_names; // lower-cased part name -> name in the zip
};

} // namespace rp
