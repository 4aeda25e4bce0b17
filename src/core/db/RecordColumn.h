#pragma once

#include "core/base/PodBuffer.h"
#include "core/db/RecordSet.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QVariant>
#include <optional>
#include <vector>

namespace rp {

// One field of a record set, held as typed cells: an 8-byte payload and a 1-byte type tag per
// row. Texts and binary values live in per-column tables that the payload indexes; date-times are
// naive milliseconds since 1970-01-01.
class RecordColumn {
public:
    RecordColumn(const QString& name, FieldType declaredType);
    RecordColumn(RecordColumn&&) noexcept = default;
    RecordColumn& operator=(RecordColumn&&) noexcept = default;

    const QString& name() const { return m_name; }
    // The declared type, or the type of the first non-null value when nothing was declared.
    FieldType type() const { return m_type; }
    void setType(FieldType type) { m_type = type; }
    qsizetype size() const { return qsizetype(m_tags.size()); }

    void reserve(qsizetype rows);
    void appendNull() { push(FieldType::Null, 0); }
    void appendInteger(qint64 value) { push(FieldType::Integer, value); }
    void appendReal(double value) {
        Payload p;
        p.real = value;
        m_payload.push_back(p);
        m_tags.push_back(quint8(FieldType::Real));
    }
    void appendDateTime(qint64 msecsSinceEpoch) { push(FieldType::DateTime, msecsSinceEpoch); }
    void appendText(const QString& text);
    void appendBlob(const QByteArray& bytes);
    // Any value a record set holds (see RecordSet::value).
    void append(const QVariant& value);
    void removeLast();
    // Frees what only building needed and settles the column's type.
    void finish();

    FieldType typeAt(qsizetype row) const { return FieldType(m_tags[size_t(row)]); }
    QVariant value(qsizetype row) const;
    QString displayText(qsizetype row) const;
    void appendDisplayText(QByteArray& latin1, qsizetype row) const;
    std::optional<qint64> dateTimeMSecs(qsizetype row) const {
        if (typeAt(row) != FieldType::DateTime)
            return std::nullopt;
        return m_payload[size_t(row)].integer;
    }
    void set(qsizetype row, const QVariant& value);

    // Bytes held by this column.
    qsizetype memoryBytes() const;

private:
    union Payload {
        qint64 integer; // Integer, DateTime (msecs), Text and Blob (table index)
        double real;
    };
    void push(FieldType type, qint64 integer) {
        Payload p;
        p.integer = integer;
        m_payload.push_back(p);
        m_tags.push_back(quint8(type));
    }
    Payload encode(const QVariant& value, FieldType& type);

    QString m_name;
    FieldType m_type;
    PodBuffer<Payload> m_payload;
    PodBuffer<quint8> m_tags;
    std::vector<QString> m_texts;
    std::vector<QByteArray> m_blobs;
    QHash<QString, qint64> m_textIndex; // while building: repeated texts are stored once
};

// Naive date-time <-> milliseconds since 1970-01-01 00:00.
QDateTime dateTimeFromMSecs(qint64 msecs);
qint64 msecsFromDateTime(const QDateTime& dateTime);

} // namespace rp
