#include "providers/workbook/WorkbookTables.h"

#include <QDateTime>
#include <QSet>
#include <cmath>

namespace rp {

namespace {

QString headerText(const QVariant& cell) {
    if (cell.typeId() == QMetaType::QDateTime)
        return cell.toDateTime().toString(QStringLiteral("yyyy-MM-dd"));
    return cell.toString().trimmed();
}

bool isKeyName(const QString& name) {
    return name.endsWith(QLatin1String("id"), Qt::CaseInsensitive);
}

bool isWholeNumber(double v) {
    return std::isfinite(v) && std::trunc(v) == v && std::fabs(v) < 9007199254740992.0;
}

QString columnType(const QList<QVariantList>& rows, qsizetype column, const QString& name) {
    bool dates = false, numbers = false, whole = true, texts = false, bools = false;
    for (const QVariantList& row : rows) {
        const QVariant& v = row.at(column);
        if (v.isNull())
            continue;
        switch (v.typeId()) {
        case QMetaType::QDateTime:
        case QMetaType::QDate:
            dates = true;
            break;
        case QMetaType::Double:
            numbers = true;
            whole = whole && isWholeNumber(v.toDouble());
            break;
        case QMetaType::Bool:
            bools = true;
            break;
        default:
            texts = true;
        }
    }
    if (dates)
        return QStringLiteral("DATETIME");
    if (numbers && !texts && !bools)
        return whole && isKeyName(name) ? QStringLiteral("INTEGER") : QStringLiteral("REAL");
    if (bools && !numbers && !texts)
        return QStringLiteral("BOOLEAN");
    if (texts && !numbers && !bools)
        return QStringLiteral("TEXT");
    return QString();
}

} // namespace

WorkbookTable workbookTable(const QString& name, const QList<QVariantList>& sheetRows) {
    WorkbookTable table;
    table.name = name;
    if (sheetRows.isEmpty())
        return table;
    qsizetype width = sheetRows.first().size();
    for (qsizetype r = 1; r < sheetRows.size(); ++r) {
        const QVariantList& row = sheetRows.at(r);
        bool any = false;
        for (const QVariant& v : row)
            any = any || !v.isNull();
        if (!any)
            continue;
        table.packed = table.packed && table.rows.size() == r - 1;
        qsizetype used = row.size();
        while (used > 0 && row.at(used - 1).isNull())
            --used;
        width = qMax(width, used);
        table.rows.append(row);
    }
    QSet<QString> taken;
    for (qsizetype c = 0; c < width; ++c) {
        const QVariant cell = c < sheetRows.first().size() ? sheetRows.first().at(c) : QVariant();
        QString column = headerText(cell);
        if (column.isEmpty())
            column = QStringLiteral("F%1").arg(c + 1);
        const QString base = column;
        for (int n = 2; taken.contains(column.toLower()); ++n)
            column = QStringLiteral("%1_%2").arg(base).arg(n);
        taken.insert(column.toLower());
        table.columns.append(column);
    }
    for (QVariantList& row : table.rows) {
        row.resize(width);
    }
    for (qsizetype c = 0; c < width; ++c) {
        const QString type = columnType(table.rows, c, table.columns.at(c));
        table.types.append(type);
        if (type != QLatin1String("INTEGER"))
            continue;
        for (QVariantList& row : table.rows)
            if (!row.at(c).isNull())
                row[c] = QVariant(qlonglong(row.at(c).toDouble()));
    }
    return table;
}

bool isDateColumn(const QString& declaredType, const QString& name) {
    const QString decl = declaredType.toUpper();
    if (decl.contains(QLatin1String("DATE")) || decl.contains(QLatin1String("TIME")))
        return true;
    const bool numeric =
        decl.contains(QLatin1String("INT")) || decl.contains(QLatin1String("REAL")) ||
        decl.contains(QLatin1String("FLOA")) || decl.contains(QLatin1String("DOUB")) ||
        decl.contains(QLatin1String("NUM"));
    return !numeric && name.contains(QLatin1String("date"), Qt::CaseInsensitive);
}

} // namespace rp
