#include "formats/readers/FormatDetector.h"
#include "formats/readers/CsvReader.h"
#include "formats/readers/DateValueReader.h"
#include "formats/readers/RdbReader.h"
#include "formats/readers/ReaderSupport.h"
#include "formats/readers/UsbrCsvReader.h"
#include "formats/readers/WaterMlReader.h"

#include <QFileInfo>

namespace rp::readers {

using namespace detail;

namespace {

constexpr qsizetype kHeadBytes = 64 * 1024;

Format byContent(QByteArrayView head) {
    if (head.startsWith(QByteArrayView("SQLite format 3\0", 16)))
        return Format::Hydat;
    if (head.startsWith("\xEF\xBB\xBF"))
        head = head.sliced(3);
    const QByteArrayView start = trimmed(head.first(std::min<qsizetype>(head.size(), 4096)));
    if (start.startsWith('<') &&
        (start.contains("waterML") || start.contains("timeSeriesResponse")))
        return Format::WaterMl;
    qsizetype pos = 0, dataLines = 0;
    bool dateValueKeys = false;
    while (pos < head.size() && dataLines < 50) {
        qsizetype end = head.indexOf('\n', pos);
        if (end < 0)
            end = head.size();
        const QByteArrayView line = trimmed(head.sliced(pos, end - pos));
        pos = end + 1;
        if (line.startsWith("# DateValueTS"))
            return Format::DateValue;
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        if (line.startsWith("agency_cd\t"))
            return Format::Rdb;
        if (line.startsWith("NumTS") || line.startsWith("TSID"))
            dateValueKeys = line.contains('=');
        if (dateValueKeys && line.startsWith("Date"))
            return Format::DateValue;
        if (dataLines == 0 && line.startsWith("Date,") && !line.contains("\"")) {
            qsizetype next = head.indexOf('\n', pos);
            const QByteArrayView second = head.sliced(pos, (next < 0 ? head.size() : next) - pos);
            if (parseDayMonYear(second.first(std::max<qsizetype>(0, second.indexOf(',')))))
                return Format::UsbrCsv;
        }
        ++dataLines;
    }
    return dataLines > 0 ? Format::Csv : Format::Unknown;
}

} // namespace

Format detectFormat(QByteArrayView head, const QString& fileName) {
    head = head.first(std::min(head.size(), kHeadBytes));
    const Format found = byContent(head);
    if (found != Format::Csv && found != Format::Unknown)
        return found;
    const QString ext = QFileInfo(fileName).suffix().toLower();
    if (ext == u"dv")
        return Format::DateValue;
    if (ext == u"rdb")
        return Format::Rdb;
    if (ext == u"xml" || ext == u"wml")
        return Format::WaterMl;
    if (ext == u"sqlite3" || ext == u"sqlite")
        return Format::Hydat;
    return found;
}

QString formatName(Format format) {
    switch (format) {
    case Format::Rdb:
        return QStringLiteral("USGS RDB");
    case Format::WaterMl:
        return QStringLiteral("WaterML 1.1");
    case Format::DateValue:
        return QStringLiteral("DateValue");
    case Format::UsbrCsv:
        return QStringLiteral("USBR CSV");
    case Format::Csv:
        return QStringLiteral("CSV");
    case Format::Hydat:
        return QStringLiteral("HYDAT");
    case Format::Unknown:
        break;
    }
    return QStringLiteral("unknown");
}

ReadResult readAny(QByteArrayView bytes, const ReadOptions& options, const QString& fileName) {
    switch (detectFormat(bytes, fileName)) {
    case Format::Rdb:
        return readRdb(bytes, options);
    case Format::WaterMl:
        return readWaterMl(bytes, options);
    case Format::DateValue:
        return readDateValue(bytes, options);
    case Format::UsbrCsv:
        return readUsbrCsv(bytes, options);
    case Format::Csv:
        return readCsv(bytes, options);
    case Format::Hydat:
        throw ReadError(QStringLiteral("A HYDAT database is read from its file, not as text."));
    case Format::Unknown:
        break;
    }
    throw ReadError(QStringLiteral("Not a data file of a format this program reads."));
}

} // namespace rp::readers
