#pragma once

#include "core/db/RecordSet.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>

namespace rp {

class Database;
class RecordColumn;

// Fills a record set column by column: each append goes to the end of one field's column, and
// every column must have the same number of cells when build() is called.
class RecordSet::Builder {
public:
    Builder();
    ~Builder();
    Builder(const Builder&) = delete;
    Builder& operator=(const Builder&) = delete;

    // Declared type Null means "whatever the first non-null value is".
    int addField(const QString& name, FieldType declaredType = FieldType::Null);
    int fieldCount() const;
    // Changes the declared type; Null lets the first non-null value decide.
    void setFieldType(int field, FieldType type);
    void reserve(qsizetype rows);

    void appendNull(int field);
    void appendInteger(int field, qint64 value);
    void appendReal(int field, double value);
    void appendText(int field, const QString& text);
    // Naive milliseconds since 1970-01-01 00:00.
    void appendDateTime(int field, qint64 msecsSinceEpoch);
    void appendBlob(int field, const QByteArray& bytes);
    void appendValue(int field, const QVariant& value);

    // Editing: where saved edits go. Without a database, or with an empty table, the set
    // refuses edits even when the lock is optimistic.
    void setLockType(LockType lock);
    void setBaseTable(const QString& table);
    void setDatabase(std::shared_ptr<Database> database);

    // Throws rp::Error when the columns differ in length. The first record is current.
    std::unique_ptr<RecordSet> build();

    // The column a field's values go to, for readers that fill many rows.
    RecordColumn& column(int field);

private:
    std::unique_ptr<RecordSet> m_set;
};

} // namespace rp
