#include "formats/xlsx/XlsxPackage.h"

#include "core/base/Error.h"

#include <QFileInfo>
#include <QXmlStreamReader>
#include <quazip.h>
#include <quazipfile.h>

namespace rp {

namespace {

// No worksheet this program reads comes near this; a bigger one is a damaged or hostile file,
// refused before its bytes are inflated.
constexpr qint64 maxStreamedPartBytes = qint64(1) << 30;
// The parts read whole (workbook, relationships, styles) are far smaller still.
constexpr qint64 maxWholePartBytes = qint64(64) << 20;
// Spreadsheet XML packs to about a tenth of its size; a part that unpacks to far more than its
// packed size (whitespace or one text repeated) is a bomb, whatever it holds.
constexpr qint64 maxPackingRatio = 100;
constexpr qint64 ratioFloorBytes = qint64(1) << 20;
// Bytes of XML allowed for the frame of a part and one very long cell, and for each element.
constexpr qint64 frameBytes = qint64(1) << 20;
constexpr qint64 bytesPerItem = 4096;

Error unreadable(const QString& path, const QString& partName) {
    return Error(QStringLiteral("The workbook \"%1\" is damaged: its part \"%2\" cannot be read.")
                     .arg(path, partName));
}

QString megabytes(qint64 bytes) {
    return QString::number(double(bytes) / (1024 * 1024), 'f', 1);
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

XlsxPartStream::XlsxPartStream(std::unique_ptr<QuaZipFile> file, std::function<qint64()> allowance)
    : m_file(std::move(file)), m_allowance(std::move(allowance)) {
    QIODevice::open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

XlsxPartStream::~XlsxPartStream() = default;

qint64 XlsxPartStream::readData(char* data, qint64 maxSize) {
    if (m_ended || m_overran || m_damaged)
        return m_ended ? 0 : -1;
    const qint64 room = m_allowance() - m_delivered;
    if (room <= 0) {
        m_overran = true;
        return -1;
    }
    const qint64 n = m_file->read(data, qMin(maxSize, room));
    if (n < 0 || m_file->getZipError() != UNZ_OK) {
        m_damaged = true;
        return -1;
    }
    if (n == 0) {
        m_file->close(); // checks the CRC of what was read
        m_ended = true;
        m_damaged = m_file->getZipError() != UNZ_OK;
        return m_damaged ? -1 : 0;
    }
    m_delivered += n;
    return n;
}

void XlsxPartStream::drain() {
    char buffer[16384];
    while (read(buffer, sizeof buffer) > 0) {
    }
}

void XlsxPackage::select(const QString& partName, qint64 maxBytes) const {
    const auto found = m_names.constFind(partName.toLower());
    if (found == m_names.constEnd())
        throw Error(QStringLiteral("The workbook \"%1\" is damaged: its part \"%2\" is missing.")
                        .arg(m_path, partName));
    QuaZipFileInfo64 info;
    if (!m_zip->setCurrentFile(*found, QuaZip::csSensitive) || !m_zip->getCurrentFileInfo(&info))
        throw unreadable(m_path, partName);
    const qint64 unpacked = qint64(qMin(info.uncompressedSize, quint64(1) << 62));
    const qint64 packed = qint64(qMin(info.compressedSize, quint64(1) << 62));
    const QString refused = QStringLiteral("The workbook \"%1\" is refused as damaged or made to "
                                           "exhaust memory: its part \"%2\" unpacks to %3 MB")
                                .arg(m_path, partName, megabytes(unpacked));
    if (unpacked > maxBytes)
        throw Error(
            refused +
            QStringLiteral(", more than such a part can need (%1 MB).").arg(megabytes(maxBytes)));
    if (unpacked > ratioFloorBytes && unpacked / qMax<qint64>(packed, 1) > maxPackingRatio)
        throw Error(refused + QStringLiteral(" from %1 MB packed, %2 times its packed size where "
                                             "a sheet's XML packs to about a tenth.")
                                  .arg(megabytes(packed))
                                  .arg(unpacked / qMax<qint64>(packed, 1)));
}

QByteArray XlsxPackage::read(const QString& partName) const {
    select(partName, maxWholePartBytes);
    QuaZipFileInfo64 info;
    m_zip->getCurrentFileInfo(&info);
    QuaZipFile file(m_zip.get());
    if (!file.open(QIODevice::ReadOnly))
        throw unreadable(m_path, partName);
    QByteArray bytes = file.read(qint64(info.uncompressedSize) + 1);
    const bool readFailed = file.getZipError() != UNZ_OK;
    file.close(); // checks the CRC of what was read
    if (readFailed || file.getZipError() != UNZ_OK ||
        quint64(bytes.size()) != info.uncompressedSize)
        throw unreadable(m_path, partName);
    return bytes;
}

std::unique_ptr<XlsxPartStream> XlsxPackage::stream(const QString& partName,
                                                    std::function<qint64()> allowance) const {
    select(partName, maxStreamedPartBytes);
    auto file = std::make_unique<QuaZipFile>(m_zip.get());
    if (!file->open(QIODevice::ReadOnly))
        throw unreadable(m_path, partName);
    return std::make_unique<XlsxPartStream>(std::move(file), std::move(allowance));
}

void XlsxPackage::finish(const QString& partName, XlsxPartStream& stream,
                         const QXmlStreamReader& xml, const QString& what, qint64 items) const {
    if (!xml.hasError())
        stream.drain();
    if (stream.overran())
        throw Error(QStringLiteral("The workbook \"%1\" is refused as damaged or made to exhaust "
                                   "memory: its part \"%2\" goes on past %3 MB of XML for only "
                                   "%4 %5, far more than they need.")
                        .arg(m_path, partName, megabytes(stream.delivered()))
                        .arg(items)
                        .arg(what));
    if (stream.damaged())
        throw unreadable(m_path, partName);
    if (xml.hasError())
        throw xmlError(partName, xml);
}

QString XlsxPackage::relsPartOf(const QString& sourcePart) {
    const qsizetype slash = sourcePart.lastIndexOf(u'/');
    const QString folder = slash < 0 ? QString() : sourcePart.left(slash + 1);
    const QString file = slash < 0 ? sourcePart : sourcePart.mid(slash + 1);
    return folder + QStringLiteral("_rels/") + file + QStringLiteral(".rels");
}

qint64 XlsxPackage::xmlAllowance(qint64 items) {
    return frameBytes + bytesPerItem * items;
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
