// Post-edits the chart parts of a written workbook inside its zip container.
#include "formats/xlsx/XlsxChartPatch.h"

#include "core/base/Error.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipnewinfo.h>

namespace rp {

namespace {

[[noreturn]] void unexpected(const char* what) {
    throw Error(QStringLiteral("The chart of the workbook cannot be finished: %1 is missing.")
                    .arg(QLatin1String(what)));
}

qsizetype find(const QByteArray& xml, const char* marker, qsizetype from = 0) {
    const qsizetype at = xml.indexOf(marker, from);
    if (at < 0)
        unexpected(marker);
    return at;
}

// The category axis as a date axis: its own element name, no label alignment or skips (a date
// axis has none), and the base unit of its time scale.
void makeDateAxis(QByteArray& xml, const QString& unit, int majorUnit,
                  const QString& majorTimeUnit) {
    const qsizetype begin = find(xml, "<c:catAx>");
    const qsizetype end = find(xml, "</c:catAx>", begin) + qsizetype(sizeof("</c:catAx>") - 1);
    QByteArray axis = xml.mid(begin, end - begin);
    static const QRegularExpression dropped(
        QStringLiteral("<c:(lblAlgn|tickLblSkip|tickMarkSkip|noMultiLvlLbl) [^>]*/>"));
    axis = QString::fromUtf8(axis).remove(dropped).toUtf8();
    axis.replace("<c:catAx>", "<c:dateAx>");
    QByteArray base = "<c:baseTimeUnit val=\"" + unit.toLatin1() + "\"/>";
    if (majorUnit > 0)
        base += "<c:majorUnit val=\"" + QByteArray::number(majorUnit) +
                "\"/><c:majorTimeUnit val=\"" + majorTimeUnit.toLatin1() + "\"/>";
    const qsizetype offset = axis.indexOf("<c:lblOffset ");
    if (offset >= 0)
        axis.insert(axis.indexOf("/>", offset) + 2, base);
    else
        axis.replace("</c:catAx>", base + "</c:catAx>");
    axis.replace("</c:catAx>", "</c:dateAx>");
    xml.replace(begin, end - begin, axis);
}

void makeGradient(QByteArray& xml, const QString& colour) {
    const qsizetype plotEnd = find(xml, "</c:plotArea>");
    const qsizetype shape = xml.lastIndexOf("<c:spPr>", plotEnd);
    if (shape < 0 || xml.lastIndexOf("</c:valAx>", plotEnd) > shape)
        unexpected("the plot area's shape");
    const qsizetype fill = xml.indexOf("<a:solidFill>", shape);
    const qsizetype line = xml.indexOf("<a:ln", shape);
    if (fill < 0 || fill > plotEnd || (line >= 0 && line < fill))
        unexpected("the plot area's fill");
    const qsizetype fillEnd =
        find(xml, "</a:solidFill>", fill) + qsizetype(sizeof("</a:solidFill>") - 1);
    const QByteArray rgb = colour.toLatin1();
    const QByteArray gradient = "<a:gradFill rotWithShape=\"1\"><a:gsLst>"
                                "<a:gs pos=\"0\"><a:srgbClr val=\"FFFFFF\"/></a:gs>"
                                "<a:gs pos=\"100000\"><a:srgbClr val=\"" +
                                rgb +
                                "\"/></a:gs>"
                                "</a:gsLst><a:lin ang=\"5400000\" scaled=\"1\"/></a:gradFill>";
    xml.replace(fill, fillEnd - fill, gradient);
}

// Arial 9 for the whole chart, as the chart area's font.
void setChartFont(QByteArray& xml) {
    static const QByteArray text =
        "<c:txPr><a:bodyPr/><a:lstStyle/><a:p><a:pPr><a:defRPr sz=\"900\">"
        "<a:latin typeface=\"Arial\"/><a:cs typeface=\"Arial\"/></a:defRPr></a:pPr>"
        "<a:endParaRPr lang=\"en-US\"/></a:p></c:txPr>";
    const qsizetype chartEnd = find(xml, "</c:chart>") + qsizetype(sizeof("</c:chart>") - 1);
    // After the chart space's own shape, if it has one.
    qsizetype at = chartEnd;
    if (xml.mid(at, 8) == "<c:spPr>")
        at = find(xml, "</c:spPr>", at) + qsizetype(sizeof("</c:spPr>") - 1);
    xml.insert(at, text);
}

QString chartPartName(qsizetype index) {
    return QStringLiteral("xl/charts/chart%1.xml").arg(index + 1);
}

} // namespace

void chooseDateAxisStep(ChartFinish& finish, double spanDays) {
    constexpr double labels = 12;
    const auto step = [](double count) {
        return std::max(1, static_cast<int>(std::ceil(count / labels)));
    };
    if (finish.dateAxisUnit == u"days" && spanDays <= 60) {
        finish.majorUnit = step(spanDays);
        finish.majorTimeUnit = QStringLiteral("days");
    } else if (finish.dateAxisUnit != u"years" && spanDays <= 5 * 365.25) {
        finish.majorUnit = step(spanDays / 30.4375);
        finish.majorTimeUnit = QStringLiteral("months");
    } else {
        finish.majorUnit = step(spanDays / 365.25);
        finish.majorTimeUnit = QStringLiteral("years");
    }
}

QByteArray finishChartXml(const QByteArray& xml, const ChartFinish& finish) {
    QByteArray out = xml;
    if (!finish.dateAxisUnit.isEmpty())
        makeDateAxis(out, finish.dateAxisUnit, finish.majorUnit, finish.majorTimeUnit);
    if (!finish.gradientColour.isEmpty())
        makeGradient(out, finish.gradientColour);
    setChartFont(out);
    return out;
}

void copyWorkbookFinishingCharts(const QString& from, QIODevice& to,
                                 const std::vector<ChartFinish>& finishes) {
    QuaZip in(from);
    if (!in.open(QuaZip::mdUnzip))
        throw Error(QStringLiteral("The written workbook cannot be read back (zip error %1).")
                        .arg(in.getZipError()));
    QuaZip out(&to);
    out.setAutoClose(false);
    if (!out.open(QuaZip::mdCreate))
        throw Error(QStringLiteral("The workbook cannot be written (zip error %1).")
                        .arg(out.getZipError()));
    const auto failed = [](const QString& part) {
        return Error(
            QStringLiteral("The workbook cannot be written: the part %1 failed.").arg(part));
    };
    for (bool more = in.goToFirstFile(); more; more = in.goToNextFile()) {
        QuaZipFileInfo64 info;
        if (!in.getCurrentFileInfo(&info))
            throw failed(QStringLiteral("list"));
        qsizetype chart = -1;
        for (size_t i = 0; i < finishes.size(); ++i)
            if (info.name == chartPartName(static_cast<qsizetype>(i)))
                chart = static_cast<qsizetype>(i);
        QuaZipFile source(&in);
        QuaZipFile target(&out);
        if (chart >= 0) {
            if (!source.open(QIODevice::ReadOnly))
                throw failed(info.name);
            const QByteArray xml =
                finishChartXml(source.readAll(), finishes[static_cast<size_t>(chart)]);
            source.close();
            QuaZipNewInfo newInfo(info.name);
            newInfo.dateTime = info.dateTime;
            if (!target.open(QIODevice::WriteOnly, newInfo) || target.write(xml) != xml.size())
                throw failed(info.name);
        } else {
            int method = 0;
            int level = 0;
            if (!source.open(QIODevice::ReadOnly, &method, &level, true))
                throw failed(info.name);
            const QByteArray raw = source.readAll();
            source.close();
            if (!target.open(QIODevice::WriteOnly, QuaZipNewInfo(info), nullptr, info.crc, method,
                             level, true) ||
                target.write(raw) != raw.size())
                throw failed(info.name);
        }
        target.close();
        if (target.getZipError() != 0)
            throw failed(info.name);
    }
    in.close();
    out.close();
    if (out.getZipError() != 0)
        throw Error(QStringLiteral("The workbook cannot be written (zip error %1).")
                        .arg(out.getZipError()));
}

} // namespace rp
