#include "core/chart/ChartLine.h"

#include <QFile>
#include <QStringList>

namespace rp {

namespace {

// The leading whole number of a field, blanks ignored; 0 when there is none.
quint32 colorNumber(const QString& field) {
    const QString t = field.trimmed();
    qsizetype end = 0;
    while (end < t.size() && t[end].isDigit())
        ++end;
    bool ok = false;
    const qulonglong v = t.left(end).toULongLong(&ok);
    return ok ? quint32(std::min<qulonglong>(v, 0xffffffffu)) : 0;
}

} // namespace

ChartLine ChartLine::parse(const QString& line) {
    ChartLine chart;
    if (line.contains(u';')) {
        const QStringList fields = line.split(u';');
        chart.kind = Kind::Gradient;
        chart.color1 = colorNumber(fields.value(0));
        chart.color2 = colorNumber(fields.value(1));
    } else if (line.size() >= 4) {
        chart.kind = Kind::PictureFile;
        chart.path = line;
    }
    return chart;
}

QString ChartLine::gradientText(quint32 color1, quint32 color2) {
    return QStringLiteral(" %1 ; %2 ").arg(color1).arg(color2);
}

QString readChartLine(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    QList<QByteArray> lines = bytes.split('\n');
    for (QByteArray& l : lines)
        if (l.endsWith('\r'))
            l.chop(1);
    if (bytes.size() <= 3)
        return QString::fromLatin1(lines.value(0));
    return QString::fromLatin1(lines.value(1));
}

} // namespace rp
