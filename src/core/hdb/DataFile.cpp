#include "core/hdb/DataFile.h"

#include "core/base/Error.h"
#include "core/base/JetDate.h"
#include "core/hdb/SeriesLoad.h"
#include "formats/readers/FormatDetector.h"
#include "formats/readers/HydatReader.h"

#include <QDir>
#include <QFile>

namespace rp {

readers::ReadResult readDataFile(const QString& path, const readers::ReadOptions& options) {
    const QString shown = QDir::toNativeSeparators(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(
            QStringLiteral("The file %1 cannot be read: %2").arg(shown, file.errorString()));
    try {
        if (readers::detectFormat(file.peek(4096), path) == readers::Format::Hydat) {
            file.close();
            return readers::readHydat(path);
        }
        // Bounded before it is read: a file past the readers' limit is refused unread.
        if (file.size() > readers::kMaxInputBytes)
            throw readers::ReadError(QStringLiteral("The file is larger than %1 MB.")
                                         .arg(readers::kMaxInputBytes / (1024 * 1024)));
        const QByteArray bytes = file.readAll();
        return readers::readAny(bytes, options, path);
    } catch (const readers::ReadError& e) {
        const QString where = e.line() > 0 ? QStringLiteral(", line %1").arg(e.line()) : QString();
        throw Error(QStringLiteral("%1%2: %3").arg(shown, where, e.message()));
    }
}

QString seriesSummary(const readers::Series& s) {
    QString text = s.siteId;
    if (!s.siteName.isEmpty() && s.siteName != s.siteId)
        text += QLatin1Char(' ') + s.siteName;
    QString name = hdbDatatypeName(s);
    if (!s.parameter.isEmpty() && s.parameter != name && !name.startsWith(s.parameter))
        name = s.parameter + QLatin1Char(' ') + name;
    text += QStringLiteral("; ") + name;
    if (!s.unit.isEmpty())
        text += QStringLiteral(", ") + s.unit;
    text += QStringLiteral("; ") + QLatin1String(timeStepInfo(hdbStepFor(s)).caption);
    if (s.step.kind == readers::StepKind::Unit && s.step.minutes > 0)
        text += QStringLiteral(" (%1 min)").arg(s.step.minutes);
    text += QStringLiteral("; %1 values").arg(s.values.size());
    if (!s.values.isEmpty())
        text +=
            QStringLiteral(" %1 .. %2")
                .arg(isoDateTimeText(s.values.first().time), isoDateTimeText(s.values.last().time));
    return text;
}

QList<qsizetype> selectSeries(const QList<readers::Series>& series, const QString& which) {
    const QString w = which.trimmed();
    bool isNumber = false;
    const int n = w.toInt(&isNumber);
    if (isNumber) {
        if (n < 1 || n > series.size())
            throw Error(QStringLiteral("The file holds %1 series; there is no series %2.")
                            .arg(series.size())
                            .arg(w));
        return {n - 1};
    }
    QList<qsizetype> chosen;
    auto is = [&](const QString& text) { return text.compare(w, Qt::CaseInsensitive) == 0; };
    for (qsizetype i = 0; i < series.size(); ++i) {
        const readers::Series& s = series[i];
        if (is(s.siteId) || is(s.parameter) || is(s.parameterName) || is(hdbDatatypeName(s)))
            chosen.append(i);
    }
    if (chosen.isEmpty())
        throw Error(QStringLiteral("No series of the file is named \"%1\".").arg(w));
    return chosen;
}

} // namespace rp
