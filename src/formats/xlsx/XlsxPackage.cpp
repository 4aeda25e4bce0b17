#include "formats/xlsx/XlsxPackage.h"

#include "core/base/Error.h"

#include <QFileInfo>
#include <QXmlStreamReader>
#include <quazip.h>
#include <quazipfile.h>

namespace rp {

namespace {

// No part of a workbook this program reads comes near this; a bigger one is a damaged or hostile
// file, refused before its bytes are inflated.
constexpr qint64 maxPartBytes = qint64(1) << 30;

QString relsPartOf(const QString& sourcePart) {
    const qsizetype slash = sourcePart.lastIndexOf(u'/');
    const QString folder = slash < 0 ? QString() : sourcePart.left(slash + 1);
    const QString file = slash < 0 ? sourcePart : sourcePart.mid(slash + 1);
    return folder + QStringLiteral("_rels/") + file + QStringLiteral(".rels");
}

} // namespace

XlsxPackage::XlsxPackage(const QString& path) : m_path(path) {
    const QFileInfo info(path);
    if (!info.exists())
        throw Error(QStringLiteral("The workbook \"%1\" does not exist.").arg(path));
    if (!info.isFile() || !info.isReadable())
        throw Error(QStringLiteral("The workbook \"%1\" cannot be read.").arg(path));
    m_zip = std::make_unique<QuaZip>(path);
    if (!m_zip->open(QuaZip::mdUnzip))
        throw Error(QStringLiteral("The workbook \"%1\" is damaged or not an .xlsx file (it is "
                                   "not a readable zip package).")
                        .arg(path));
    const QStringList names = m_zip->getFileNameList();
    for (const QString& name : names)
        m_names.insert(name.toLower(), name);
}

XlsxPackage::~XlsxPackage() = default;

bool XlsxPackage::has(const QString& partName) const {
    return m_names.contains(partName.toLower());
}

QByteArray XlsxPackage::read(const QString& partName) const {
    const auto found = m_names.constFind(partName.toLower());
    if (found == m_names.constEnd())
        throw Error(QStringLiteral("The workbook \"%1\" is damaged: its part \"%2\" is missing.")
                        .arg(m_path, partName));
    const QString damaged = QStringLiteral("The workbook \"%1\" is damaged: its part \"%2\" "
                                           "cannot be read.")
                                .arg(m_path, partName);
    if (!m_zip->setCurrentFile(*found, QuaZip::csSensitive))
        throw Error(damaged);
    QuaZipFileInfo64 info;
    if (!m_zip->getCurrentFileInfo(&info) || info.uncompressedSize > quint64(maxPartBytes))
        throw Error(damaged);
    QuaZipFile file(m_zip.get());
    if (!file.open(QIODevice::ReadOnly))
        throw Error(damaged);
    QByteArray bytes = file.read(qint64(info.uncompressedSize) + 1);
    const bool readFailed = file.getZipError() != UNZ_OK;
    file.close(); // checks the CRC of what was read
    if (readFailed || file.getZipError() != UNZ_OK ||
        quint64(bytes.size()) != info.uncompressedSize)
        throw Error(damaged);
    return bytes;
}

QList<XlsxPackage::Relationship> XlsxPackage::relationships(const QString& sourcePart) const {
    QList<Relationship> result;
    const QString relsPart = relsPartOf(sourcePart);
    if (!has(relsPart))
        return result;
    QXmlStreamReader xml(read(relsPart));
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"Relationship") {
            const QXmlStreamAttributes a = xml.attributes();
            if (a.value(QLatin1String("TargetMode")).compare(u"External", Qt::CaseInsensitive) != 0)
                result.append(
                    {a.value(QLatin1String("Id")).toString(),
                     a.value(QLatin1String("Type")).toString(),
                     resolveTarget(sourcePart, a.value(QLatin1String("Target")).toString())});
        }
    }
    if (xml.hasError())
        throw xmlError(relsPart, xml);
    return result;
}

Error XlsxPackage::xmlError(const QString& partName, const QXmlStreamReader& xml) const {
    return Error(QStringLiteral("The workbook \"%1\" is damaged: %2 (part \"%3\", line %4).")
                     .arg(m_path, xml.errorString(), partName)
                     .arg(xml.lineNumber()));
}

QString XlsxPackage::resolveTarget(const QString& sourcePart, const QString& target) {
    QStringList segments;
    QString rest = target;
    if (rest.startsWith(u'/')) {
        rest.remove(0, 1);
    } else {
        const qsizetype slash = sourcePart.lastIndexOf(u'/');
        if (slash >= 0)
            segments = sourcePart.left(slash).split(u'/', Qt::SkipEmptyParts);
    }
    for (const QString& segment : rest.split(u'/', Qt::SkipEmptyParts)) {
        if (segment == u"..") {
            if (!segments.isEmpty())
                segments.removeLast();
        } else if (segment != u".") {
            segments.append(segment);
        }
    }
    return segments.join(u'/');
}

} // namespace rp
