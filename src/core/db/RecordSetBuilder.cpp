#include "core/db/RecordSetBuilder.h"

#include "core/base/Error.h"
#include "core/db/RecordSetData.h"

namespace rp {

RecordSet::Builder::Builder() : m_set(std::make_unique<RecordSet>()) {}

RecordSet::Builder::~Builder() = default;

int RecordSet::Builder::addField(const QString& name, FieldType declaredType) {
    m_set->d->columns.emplace_back(name, declaredType);
    return int(m_set->d->columns.size()) - 1;
}

int RecordSet::Builder::fieldCount() const {
    return int(m_set->d->columns.size());
}

void RecordSet::Builder::setFieldType(int field, FieldType type) {
    column(field).setType(type);
}

RecordColumn& RecordSet::Builder::column(int field) {
    return m_set->d->columns[size_t(field)];
}

void RecordSet::Builder::reserve(qsizetype rows) {
    for (RecordColumn& c : m_set->d->columns)
        c.reserve(rows);
}

void RecordSet::Builder::appendNull(int field) {
    column(field).appendNull();
}
void RecordSet::Builder::appendInteger(int field, qint64 value) {
    column(field).appendInteger(value);
}
void RecordSet::Builder::appendReal(int field, double value) {
    column(field).appendReal(value);
}
void RecordSet::Builder::appendText(int field, const QString& text) {
    column(field).appendText(text);
}
void RecordSet::Builder::appendDateTime(int field, qint64 msecsSinceEpoch) {
    column(field).appendDateTime(msecsSinceEpoch);
}
void RecordSet::Builder::appendBlob(int field, const QByteArray& bytes) {
    column(field).appendBlob(bytes);
}
void RecordSet::Builder::appendValue(int field, const QVariant& value) {
    column(field).append(value);
}

void RecordSet::Builder::setLockType(LockType lock) {
    m_set->d->lock = lock;
}
void RecordSet::Builder::setBaseTable(const QString& table) {
    m_set->d->baseTable = table;
}
void RecordSet::Builder::setDatabase(std::shared_ptr<Database> database) {
    m_set->d->database = std::move(database);
}

std::unique_ptr<RecordSet> RecordSet::Builder::build() {
    Data& d = *m_set->d;
    const qsizetype rows = d.storageSize();
    for (RecordColumn& c : d.columns) {
        if (c.size() != rows)
            throw Error(QStringLiteral("The field %1 has %2 values where %3 were expected.")
                            .arg(c.name())
                            .arg(c.size())
                            .arg(rows));
        c.finish();
    }
    if (rows > qsizetype(std::numeric_limits<quint32>::max()))
        throw Error(QStringLiteral("The result has too many rows (%1) to hold.").arg(rows));
    d.count = rows;
    d.current = rows > 0 ? 0 : -1;
    auto set = std::move(m_set);
    m_set = std::make_unique<RecordSet>();
    return set;
}

} // namespace rp
