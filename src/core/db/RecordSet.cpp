#include "core/db/RecordSet.h"

#include "core/base/Error.h"
#include "core/db/Database.h"
#include "core/db/FieldValue.h"
#include "core/db/RecordSetData.h"

#include <algorithm>

namespace rp {

namespace {

const QString noCurrentRecord = QStringLiteral(
    "Either BOF or EOF is True, or the current record has been deleted. Requested operation "
    "requires a current record.");

} // namespace

// --- Data ------------------------------------------------------------------------------------

int RecordSet::Data::fieldIndex(const QString& name) const {
    for (size_t i = 0; i < columns.size(); ++i)
        if (columns[i].name().compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

void RecordSet::Data::checkCell(qsizetype row, int field) const {
    if (row < 0 || row >= count)
        throw Error(QStringLiteral("There is no record %1 in a result of %2 records.")
                        .arg(row + 1)
                        .arg(count));
    if (field < 0 || field >= int(columns.size()))
        throw Error(QStringLiteral("There is no field %1 in a result of %2 fields.")
                        .arg(field)
                        .arg(columns.size()));
}

void RecordSet::Data::requireCurrent() const {
    if (!onRecord())
        throw Error(noCurrentRecord);
}

void RecordSet::Data::requireEditable() const {
    if (lock != LockType::Optimistic)
        throw Error(QStringLiteral("This result is read-only: it was not opened for editing. "
                                   "Allow editing and run the query again."));
    if (baseTable.isEmpty())
        throw Error(QStringLiteral("This result cannot be edited: it does not come from one "
                                   "table."));
    if (!database)
        throw Error(QStringLiteral("This result cannot be edited: it has no database "
                                   "connection."));
    // A database that takes no changes says so before anything is typed in vain.
    if (const QString reason = database->readOnlyReason(); !reason.isEmpty())
        throw Error(reason);
}

const QVariant* RecordSet::Data::pendingValue(qsizetype row, int field) const {
    if (mode == EditMode::None || row != current)
        return nullptr;
    const auto it = pending.find(field);
    return it == pending.end() ? nullptr : &it->second;
}

void RecordSet::Data::keyOf(qsizetype storage, QStringList& keyColumns,
                            QVariantList& keyValues) const {
    // Every column as it was read: a row that someone else changed in any column since then
    // matches nothing, and the save or delete is refused instead of mixing the two changes.
    for (const RecordColumn& c : columns) {
        keyColumns.append(c.name());
        keyValues.append(c.value(storage));
    }
}

bool RecordSet::Data::savePending() {
    if (mode == EditMode::None)
        return false;
    if (mode == EditMode::Add && pending.empty()) {
        dropAdded();
        return true;
    }
    QStringList names;
    QVariantList values;
    for (const auto& [field, value] : pending) {
        names.append(columns[size_t(field)].name());
        values.append(value);
    }
    const qsizetype storage = storageRow(current);
    if (mode == EditMode::Add) {
        database->insertRow(baseTable, names, values);
    } else {
        QStringList keyColumns;
        QVariantList keyValues;
        keyOf(storage, keyColumns, keyValues);
        database->updateRow(baseTable, keyColumns, keyValues, names, values);
    }
    // Saved: the new values become the record's own.
    for (const auto& [field, value] : pending)
        columns[size_t(field)].set(storage, value);
    pending.clear();
    mode = EditMode::None;
    return false;
}

void RecordSet::Data::dropAdded() {
    for (RecordColumn& c : columns)
        c.removeLast();
    if (!identityOrder)
        order.pop_back();
    --count;
    pending.clear();
    mode = EditMode::None;
    current = std::clamp(positionBeforeAdd, qsizetype(-1), count);
}

void RecordSet::Data::moveTo(qsizetype position) {
    if (mode != EditMode::None && position != current) {
        const qsizetype added = current;
        if (savePending() && position > added)
            --position; // the dropped record was the last one
    }
    current = count == 0 ? -1 : std::clamp(position, qsizetype(-1), count);
}

void RecordSet::Data::materializeOrder() {
    if (!identityOrder)
        return;
    order.resize(size_t(count));
    for (qsizetype i = 0; i < count; ++i)
        order[size_t(i)] = quint32(i);
    identityOrder = false;
}

// --- Fields and rows -------------------------------------------------------------------------

RecordSet::RecordSet() : d(std::make_unique<Data>()) {}

RecordSet::~RecordSet() = default;

int RecordSet::fieldCount() const {
    return int(d->columns.size());
}

QString RecordSet::fieldName(int field) const {
    if (field < 0 || field >= fieldCount())
        return {};
    return d->columns[size_t(field)].name();
}

QStringList RecordSet::fieldNames() const {
    QStringList names;
    for (const RecordColumn& c : d->columns)
        names.append(c.name());
    return names;
}

int RecordSet::fieldIndex(const QString& name) const {
    return d->fieldIndex(name);
}

FieldType RecordSet::fieldType(int field) const {
    if (field < 0 || field >= fieldCount())
        return FieldType::Null;
    return d->columns[size_t(field)].type();
}

qsizetype RecordSet::recordCount() const {
    return d->count;
}

FieldType RecordSet::type(qsizetype row, int field) const {
    d->checkCell(row, field);
    if (const QVariant* p = d->pendingValue(row, field)) {
        switch (p->typeId()) {
        case QMetaType::UnknownType:
            return FieldType::Null;
        case QMetaType::LongLong:
            return FieldType::Integer;
        case QMetaType::Double:
            return FieldType::Real;
        case QMetaType::QDateTime:
            return FieldType::DateTime;
        case QMetaType::QByteArray:
            return FieldType::Blob;
        default:
            return FieldType::Text;
        }
    }
    return d->columns[size_t(field)].typeAt(d->storageRow(row));
}

bool RecordSet::isNull(qsizetype row, int field) const {
    return type(row, field) == FieldType::Null;
}

QVariant RecordSet::value(qsizetype row, int field) const {
    d->checkCell(row, field);
    if (const QVariant* p = d->pendingValue(row, field))
        return *p;
    return d->columns[size_t(field)].value(d->storageRow(row));
}

QString RecordSet::displayText(qsizetype row, int field) const {
    d->checkCell(row, field);
    if (d->pendingValue(row, field)) {
        // A pending value is shown the way it will be stored.
        RecordColumn scratch(QString(), FieldType::Null);
        scratch.append(*d->pendingValue(row, field));
        return scratch.displayText(0);
    }
    return d->columns[size_t(field)].displayText(d->storageRow(row));
}

void RecordSet::appendDisplayText(QByteArray& out, qsizetype row, int field) const {
    d->checkCell(row, field);
    if (d->pendingValue(row, field))
        out += displayText(row, field).toLatin1();
    else
        d->columns[size_t(field)].appendDisplayText(out, d->storageRow(row));
}

std::optional<qint64> RecordSet::dateTimeMSecs(qsizetype row, int field) const {
    d->checkCell(row, field);
    if (const QVariant* p = d->pendingValue(row, field)) {
        if (p->typeId() == QMetaType::QDateTime)
            return msecsFromDateTime(p->toDateTime());
        return std::nullopt;
    }
    return d->columns[size_t(field)].dateTimeMSecs(d->storageRow(row));
}

qsizetype RecordSet::memoryBytes() const {
    qsizetype bytes = qsizetype(sizeof(RecordSet) + sizeof(Data));
    for (const RecordColumn& c : d->columns)
        bytes += c.memoryBytes();
    bytes += qsizetype(d->order.capacity() * sizeof(quint32));
    return bytes;
}

// --- Cursor ----------------------------------------------------------------------------------

bool RecordSet::bof() const {
    return d->count == 0 || d->current < 0;
}
bool RecordSet::eof() const {
    return d->count == 0 || d->current >= d->count;
}

qsizetype RecordSet::absolutePosition() const {
    return d->onRecord() ? d->current + 1 : 0;
}

void RecordSet::setAbsolutePosition(qsizetype position) {
    if (position < 1 || position > d->count)
        throw Error(QStringLiteral("There is no record at position %1; the result has %2.")
                        .arg(position)
                        .arg(d->count));
    d->moveTo(position - 1);
}

void RecordSet::moveFirst() {
    d->moveTo(0);
}
void RecordSet::moveLast() {
    d->moveTo(d->count - 1);
}
void RecordSet::moveNext() {
    d->moveTo(d->current + 1);
}
void RecordSet::movePrevious() {
    d->moveTo(d->current - 1);
}

Bookmark RecordSet::bookmark() const {
    d->requireCurrent();
    return d->storageRow(d->current) + 1;
}

void RecordSet::setBookmark(Bookmark bookmark) {
    const qsizetype row = rowOfBookmark(bookmark);
    if (row < 0)
        throw Error(
            QStringLiteral("The record of bookmark %1 is no longer in the result.").arg(bookmark));
    d->moveTo(row);
}

Bookmark RecordSet::bookmarkAt(qsizetype row) const {
    d->checkCell(row, 0);
    return d->storageRow(row) + 1;
}

qsizetype RecordSet::rowOfBookmark(Bookmark bookmark) const {
    const qsizetype storage = bookmark - 1;
    if (storage < 0 || storage >= d->storageSize())
        return -1;
    if (d->identityOrder)
        return storage < d->count ? storage : -1;
    const auto it = std::find(d->order.begin(), d->order.end(), quint32(storage));
    return it == d->order.end() ? -1 : qsizetype(it - d->order.begin());
}

QVariant RecordSet::value(int field) const {
    d->requireCurrent();
    return value(d->current, field);
}

// --- Editing ---------------------------------------------------------------------------------

LockType RecordSet::lockType() const {
    return d->lock;
}
QString RecordSet::baseTable() const {
    return d->baseTable;
}

bool RecordSet::isUpdatable() const {
    return d->lock == LockType::Optimistic && !d->baseTable.isEmpty() && d->database;
}

EditMode RecordSet::editMode() const {
    return d->mode;
}

void RecordSet::setValue(int field, const QVariant& value) {
    d->requireEditable();
    d->requireCurrent();
    d->checkCell(d->current, field);
    const RecordColumn& column = d->columns[size_t(field)];
    QVariant stored = coerceFieldValue(value, column.type(), column.name());
    d->pending[field] = std::move(stored);
    if (d->mode == EditMode::None)
        d->mode = EditMode::InProgress;
}

void RecordSet::addNew() {
    d->requireEditable();
    if (d->columns.empty())
        throw Error(QStringLiteral("This result has no fields to add a record to."));
    d->savePending();
    const qsizetype storage = d->storageSize();
    for (RecordColumn& c : d->columns)
        c.appendNull();
    if (!d->identityOrder)
        d->order.push_back(quint32(storage));
    d->positionBeforeAdd = d->current;
    d->current = d->count;
    ++d->count;
    d->mode = EditMode::Add;
}

void RecordSet::update() {
    if (d->mode == EditMode::None)
        return;
    d->requireEditable();
    d->savePending();
}

void RecordSet::cancelUpdate() {
    if (d->mode == EditMode::Add)
        d->dropAdded();
    d->pending.clear();
    d->mode = EditMode::None;
}

void RecordSet::cancelBatch() {
    // Moving off a record saves it, so only the current record can hold pending changes.
    cancelUpdate();
}

void RecordSet::deleteCurrent() {
    d->requireEditable();
    d->requireCurrent();
    if (d->mode == EditMode::Add) {
        d->dropAdded();
        return;
    }
    QStringList keyColumns;
    QVariantList keyValues;
    d->keyOf(d->storageRow(d->current), keyColumns, keyValues);
    d->database->deleteRow(d->baseTable, keyColumns, keyValues);
    d->pending.clear();
    d->mode = EditMode::None;
    d->materializeOrder();
    d->order.erase(d->order.begin() + d->current);
    --d->count;
    if (d->current >= d->count)
        d->current = d->count - 1;
}

} // namespace rp
