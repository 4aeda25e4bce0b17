#include "core/hdb/SeriesLoad.h"

#include "core/base/Error.h"
#include "core/base/JetDate.h"
#include "core/db/Database.h"
#include "core/hdb/HdbSchema.h"
#include "formats/readers/Qualifiers.h"

#include <QHash>
#include <algorithm>
#include <cmath>
#include <vector>

namespace rp {

namespace {

struct SiteRow {
    qint64 datatypeSiteId = 0;
    QVariant siteId;
    QString stationId;
    QString siteName;
    QString datatypeName;
    QString unitName;
    QVariant datatypeId;
};

bool same(const QString& a, const QString& b) {
    return a.trimmed().compare(b.trimmed(), Qt::CaseInsensitive) == 0;
}

qint64 number(const QVariant& v) {
    return v.isNull() ? 0 : v.toLongLong();
}

// The parameters of the HDB, and the keys the next new ones get.
struct Catalogue {
    QList<SiteRow> rows;
    qint64 nextDatatypeSiteId = 1;
    qint64 nextSiteId = 1;
    qint64 nextDatatypeId = 1;

    explicit Catalogue(Database& database) {
        const auto set =
            database.open(QStringLiteral("SELECT datatype_site_id, site_id, station_id, site_name, "
                                         "datatype_name, unit_name, datatype_id FROM rsite"),
                          LockType::ReadOnly);
        for (qsizetype r = 0; r < set->recordCount(); ++r) {
            SiteRow row{number(set->value(r, 0)), set->value(r, 1),       set->displayText(r, 2),
                        set->displayText(r, 3),   set->displayText(r, 4), set->displayText(r, 5),
                        set->value(r, 6)};
            nextDatatypeSiteId = std::max(nextDatatypeSiteId, row.datatypeSiteId + 1);
            nextSiteId = std::max(nextSiteId, number(row.siteId) + 1);
            nextDatatypeId = std::max(nextDatatypeId, number(row.datatypeId) + 1);
            rows.append(row);
        }
    }

    const SiteRow* find(qint64 key) const {
        for (const SiteRow& r : rows)
            if (r.datatypeSiteId == key)
                return &r;
        return nullptr;
    }
    const SiteRow* find(const QString& station, const QString& name, const QString& unit) const {
        for (const SiteRow& r : rows)
            if (same(r.stationId, station) && same(r.datatypeName, name) && same(r.unitName, unit))
                return &r;
        return nullptr;
    }

    // A new row for the series: its station's site_id and its parameter's datatype_id when the
    // HDB has them, else new ones.
    SiteRow add(const readers::Series& s, std::optional<qint64> key) {
        SiteRow row;
        row.datatypeSiteId = key ? *key : nextDatatypeSiteId;
        row.stationId = s.siteId.trimmed();
        row.siteName = s.siteName.trimmed().isEmpty() ? row.stationId : s.siteName.trimmed();
        row.datatypeName = hdbDatatypeName(s);
        row.unitName = s.unit.trimmed();
        for (const SiteRow& r : rows) {
            if (row.siteId.isNull() && same(r.stationId, row.stationId))
                row.siteId = r.siteId;
            if (row.datatypeId.isNull() && same(r.datatypeName, row.datatypeName) &&
                same(r.unitName, row.unitName))
                row.datatypeId = r.datatypeId;
        }
        if (row.siteId.isNull())
            row.siteId = nextSiteId++;
        if (row.datatypeId.isNull())
            row.datatypeId = nextDatatypeId++;
        nextDatatypeSiteId = std::max(nextDatatypeSiteId, row.datatypeSiteId + 1);
        rows.append(row);
        return row;
    }
};

// A series' times as the HDB keeps them, and which of them the HDB already holds.
struct Prepared {
    LoadPlan plan;
    std::vector<QDateTime> times;
    std::vector<bool> conflicting;
    // The HDB's times in the file's range, ascending, and which of them the file brings too.
    std::vector<QDateTime> held;
    std::vector<bool> heldInFile;
};

qint64 timeKey(const QDateTime& t) {
    return naiveDateTime(t.date(), t.time()).toMSecsSinceEpoch();
}

QDateTime naiveTime(const QVariant& v) {
    if (v.typeId() == QMetaType::QDateTime)
        return naiveDateTime(v.toDateTime().date(), v.toDateTime().time());
    if (const auto t = parseIsoDateTime(v.toString()))
        return *t;
    return {};
}

QString jetLiteral(const QDateTime& t) {
    return QLatin1Char('#') + isoDateTimeText(t) + QLatin1Char('#');
}

void findConflicts(Database& database, Prepared& p) {
    if (p.times.empty())
        return;
    const auto set = database.open(
        QStringLiteral("SELECT date_time FROM %1 WHERE datatype_site_id=%2 AND date_time "
                       "BETWEEN %3 AND %4")
            .arg(QLatin1String(timeStepInfo(p.plan.step).table))
            .arg(p.plan.datatypeSiteId)
            .arg(jetLiteral(p.times.front()), jetLiteral(p.times.back())),
        LockType::ReadOnly);
    QHash<qint64, size_t> held;
    for (qsizetype r = 0; r < set->recordCount(); ++r)
        if (const QDateTime t = naiveTime(set->value(r, 0)); t.isValid())
            p.held.push_back(t);
    std::sort(p.held.begin(), p.held.end());
    p.heldInFile.assign(p.held.size(), false);
    if (p.held.empty()) // a new parameter or a new stretch of one: nothing to look up
        return;
    for (size_t h = 0; h < p.held.size(); ++h)
        held.insert(timeKey(p.held[h]), h);
    for (size_t i = 0; i < p.times.size(); ++i) {
        const auto at = held.constFind(timeKey(p.times[i]));
        if (at == held.constEnd())
            continue;
        p.conflicting[i] = true;
        p.heldInFile[*at] = true;
        if (p.plan.conflicts++ < kConflictsShown)
            p.plan.firstConflicts.append(p.times[i]);
    }
}

// Takes out the HDB's values the file replaces: one range per run of them with no other value
// of the HDB between, so that a whole overlap goes in a statement or a few.
qint64 removeReplaced(Database& database, const Prepared& p) {
    const QString table = QLatin1String(timeStepInfo(p.plan.step).table);
    qint64 removed = 0;
    for (size_t from = 0; from < p.held.size();) {
        if (!p.heldInFile[from]) {
            ++from;
            continue;
        }
        size_t to = from;
        while (to + 1 < p.held.size() && p.heldInFile[to + 1])
            ++to;
        const qint64 n = database.execute(
            QStringLiteral("DELETE FROM %1 WHERE datatype_site_id=%2 AND date_time BETWEEN %3 "
                           "AND %4")
                .arg(table)
                .arg(p.plan.datatypeSiteId)
                .arg(jetLiteral(p.held[from]), jetLiteral(p.held[to])));
        // Another writer's rows meanwhile would make the count differ: the load stops whole.
        if (n != qint64(to - from + 1))
            throw Error(QStringLiteral("The values of parameter %1 in %2 changed while they were "
                                       "being replaced; nothing was loaded.")
                            .arg(p.plan.datatypeSiteId)
                            .arg(table));
        removed += n;
        from = to + 1;
    }
    return removed;
}

std::vector<Prepared> prepare(Database& database, Catalogue& catalogue,
                              const QList<readers::Series>& series, const LoadOptions& options) {
    if (options.datatypeSiteId && series.size() > 1)
        throw Error(QStringLiteral("The file holds %1 series; only one of them can be loaded "
                                   "into parameter %2. Choose the series to load.")
                        .arg(series.size())
                        .arg(*options.datatypeSiteId));
    std::vector<Prepared> prepared;
    for (const readers::Series& s : series) {
        Prepared p;
        const SiteRow* row = options.datatypeSiteId
                                 ? catalogue.find(*options.datatypeSiteId)
                                 : catalogue.find(s.siteId, hdbDatatypeName(s), s.unit);
        p.plan.newParameter = !row;
        const SiteRow chosen = row ? *row : catalogue.add(s, options.datatypeSiteId);
        p.plan.datatypeSiteId = chosen.datatypeSiteId;
        p.plan.siteName = chosen.siteName;
        p.plan.datatypeName = chosen.datatypeName;
        p.plan.unitName = chosen.unitName;
        p.plan.step = options.step ? *options.step : hdbStepFor(s);
        const qint64 shift = options.hdbOffsetMinutes && s.standardOffsetMinutes
                                 ? qint64(*options.hdbOffsetMinutes - *s.standardOffsetMinutes) * 60
                                 : 0;
        p.times.reserve(size_t(s.values.size()));
        for (const readers::Value& v : s.values) {
            // The readers' times are naive already; only others are taken apart.
            QDateTime t =
                v.time.timeSpec() == Qt::UTC ? v.time : naiveDateTime(v.time.date(), v.time.time());
            p.times.push_back(shift == 0 ? t : t.addSecs(shift));
        }
        p.conflicting.assign(p.times.size(), false);
        p.plan.values = s.values.size();
        if (!p.times.empty()) {
            p.plan.first = p.times.front();
            p.plan.last = p.times.back();
        }
        findConflicts(database, p);
        prepared.push_back(std::move(p));
    }
    return prepared;
}

QString conflictText(const LoadPlan& plan) {
    QStringList times;
    for (const QDateTime& t : plan.firstConflicts)
        times.append(isoDateTimeText(t));
    if (plan.conflicts > plan.firstConflicts.size())
        times.append(QStringLiteral("…"));
    return QStringLiteral("parameter %1 (%2) already holds %3 of its %4 times in %5: %6")
        .arg(plan.datatypeSiteId)
        .arg(plan.datatypeName)
        .arg(plan.conflicts)
        .arg(plan.values)
        .arg(QLatin1String(timeStepInfo(plan.step).table), times.join(QStringLiteral(", ")));
}

void refuseConflicts(const std::vector<Prepared>& prepared) {
    QStringList texts;
    for (const Prepared& p : prepared)
        if (p.plan.conflicts > 0)
            texts.append(conflictText(p.plan));
    if (texts.isEmpty())
        return;
    throw Error(QStringLiteral("Nothing was loaded: %1. Load again keeping the HDB's values or "
                               "replacing them with the file's.")
                    .arg(texts.join(QStringLiteral("; "))));
}

const QStringList siteColumns{QStringLiteral("site_id"),       QStringLiteral("station_id"),
                              QStringLiteral("site_name"),     QStringLiteral("datatype_site_id"),
                              QStringLiteral("datatype_name"), QStringLiteral("unit_name"),
                              QStringLiteral("datatype_id")};

LoadResult write(Database& database, const Catalogue& catalogue, const Prepared& p,
                 const readers::Series& s, OnConflict onConflict, ProgressSteps& steps) {
    LoadResult result{p.plan, 0, 0, 0};
    const QString table = QLatin1String(timeStepInfo(p.plan.step).table);
    if (p.plan.newParameter) {
        const SiteRow& r = *catalogue.find(p.plan.datatypeSiteId);
        database.insertRow(QStringLiteral("rsite"), siteColumns,
                           {r.siteId, r.stationId, r.siteName, r.datatypeSiteId, r.datatypeName,
                            r.unitName, r.datatypeId});
    }
    if (onConflict == OnConflict::Replace)
        result.replaced = removeReplaced(database, p);
    size_t next = 0;
    // Values come in runs of one qualifier: its source is worked out once per run.
    QString lastQualifier;
    int lastSource = int(readers::hdbSource(lastQualifier, s.qualifiers));
    result.inserted = database.appendRows(table, hdbValueColumns(), [&](QVariantList& row) {
        for (; next < p.times.size(); ++next) {
            steps.step();
            const readers::Value& v = s.values[qsizetype(next)];
            if ((p.conflicting[next] && onConflict == OnConflict::Keep) || !std::isfinite(v.value))
                continue;
            if (v.qualifier != lastQualifier) {
                lastQualifier = v.qualifier;
                lastSource = int(readers::hdbSource(v.qualifier, s.qualifiers));
            }
            row << p.plan.datatypeSiteId << p.times[next] << v.value << lastSource;
            ++next;
            return true;
        }
        return false;
    });
    if (onConflict == OnConflict::Keep)
        result.kept = p.plan.conflicts;
    return result;
}

} // namespace

TimeStep hdbStepFor(const readers::Series& series) {
    switch (series.step.kind) {
    case readers::StepKind::Unit:
        return TimeStep::Unit;
    case readers::StepKind::Hour:
        return TimeStep::Hour;
    case readers::StepKind::Day:
        if (series.statistic == QLatin1String("Maximum"))
            return TimeStep::DayMax;
        if (series.statistic == QLatin1String("Minimum"))
            return TimeStep::DayMin;
        return TimeStep::Day;
    case readers::StepKind::Month:
        return TimeStep::Month;
    case readers::StepKind::Year:
        return TimeStep::Year;
    }
    return TimeStep::Day;
}

QString hdbDatatypeName(const readers::Series& series) {
    const QString name = series.parameterName.trimmed().isEmpty() ? series.parameter.trimmed()
                                                                  : series.parameterName.trimmed();
    static const QStringList plain{QStringLiteral("Mean"), QStringLiteral("Maximum"),
                                   QStringLiteral("Minimum"), QStringLiteral("Instantaneous")};
    const QString statistic = series.statistic.trimmed();
    if (statistic.isEmpty() || plain.contains(statistic, Qt::CaseInsensitive))
        return name;
    return QStringLiteral("%1 (%2)").arg(name, statistic);
}

QList<LoadPlan> planLoad(Database& database, const QList<readers::Series>& series,
                         const LoadOptions& options) {
    Catalogue catalogue(database);
    QList<LoadPlan> plans;
    for (const Prepared& p : prepare(database, catalogue, series, options))
        plans.append(p.plan);
    return plans;
}

QList<LoadResult> loadSeries(Database& database, const QList<readers::Series>& series,
                             const LoadOptions& options) {
    QList<LoadResult> results;
    // The choice of parameters, the look for conflicts and the writing in one transaction: a
    // second writer's rows meanwhile either are seen or make the load fail as a whole.
    database.beginTransaction();
    try {
        Catalogue catalogue(database);
        const std::vector<Prepared> prepared = prepare(database, catalogue, series, options);
        if (options.onConflict == OnConflict::Refuse)
            refuseConflicts(prepared);
        qint64 total = 0;
        for (const Prepared& p : prepared)
            total += p.plan.values;
        ProgressSteps steps(options.progress, total,
                            QStringLiteral("The load was cancelled; nothing was written."));
        steps.report();
        for (size_t i = 0; i < prepared.size(); ++i)
            results.append(write(database, catalogue, prepared[i], series[qsizetype(i)],
                                 options.onConflict, steps));
        steps.report();
        database.commit();
    } catch (const Error& e) {
        // Nothing of the load stays; the error goes on to the caller.
        try {
            database.rollback();
        } catch (const Error& undo) {
            throw Error(e.message() + QStringLiteral(" Undoing the load failed too: ") +
                        undo.message());
        }
        throw;
    } catch (...) {
        database.rollback();
        throw;
    }
    return results;
}

} // namespace rp
