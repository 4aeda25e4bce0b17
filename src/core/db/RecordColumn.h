#pragma once

#include "core/base/PodBuffer.h"
#include "core/db/RecordSet.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QVariant>
#include <bit>
#include <optional>
#include <vector>

namespace rp {

// One field of a record set, held as typed cells: an 8-byte payload and a 1-byte type tag per
// row. Texts and binary values live in per-column tables that the payload indexes; date-times are
// naive milliseconds since 1970-01-01. While every cell has the same tag (a column of one type),
// or the same payload (a series' key or source), that part is held once for the whole column.
class RecordColumn {
public:
    RecordColumn(const QString& name, FieldType declaredType);
    RecordColumn(RecordColumn&&) noexcept = default;
    RecordColumn& operator=(RecordColumn&&) noexcept = default;

    const QString& name() const { return m_name; }
    // The declared type, or the type of the first non-null value when nothing was declared.
    FieldType type() const { return m_type; }
    void setType(FieldType type) { m_type = type; }
    qsizetype size() const { return m_size; }

    void reserve(qsizetype rows);
    void appendNull() { push(FieldType::Null, 0); }
    void appendInteger(qint64 value) { push(FieldType::Integer, value); }
    void appendReal(double value) {
        Payload p;
        p.real = value;
        push(quint8(FieldType::Real), p);
    }
    void appendDateTime(qint64 msecsSinceEpoch) { push(FieldType::DateTime, msecsSinceEpoch); }
    void appendText(const QString& text);
    void appendBlob(const QByteArray& bytes);
    // Any value a record set holds (see RecordSet::value).
    void append(const QVariant& value);
    void removeLast();
    // Frees what only building needed and settles the column's type.
    void finish();

    FieldType typeAt(qsizetype row) const {
        return FieldType(m_oneTag ? m_tag : m_tags[size_t(row)]);
    }
    QVariant value(qsizetype row) const;
    QString displayText(qsizetype row) const;
    void appendDisplayText(QByteArray& latin1, qsizetype row) const;
    std::optional<qint64> dateTimeMSecs(qsizetype row) const {
        if (typeAt(row) != FieldType::DateTime)
            return std::nullopt;
        return payloadAt(row).integer;
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
        push(quint8(type), p);
    }
    void push(quint8 tag, Payload p) {
        // A null cell's payload is never read: it need not end a column of one value.
        if (tag == quint8(FieldType::Null))
            p = m_payload0;
        if (m_oneTag && tag != m_tag) {
            if (m_size == 0)
                m_tag = tag;
            else
                splitTags();
        }
        if (!m_oneTag)
            m_tags.push_back(tag);
        if (m_onePayload && !samePayload(p, m_payload0)) {
            if (m_size == 0)
                m_payload0 = p;
            else
                splitPayloads();
        }
        if (!m_onePayload)
            m_payload.push_back(p);
        ++m_size;
    }
    static bool samePayload(Payload a, Payload b) {
        return std::bit_cast<qint64>(a) == std::bit_cast<qint64>(b);
    }
    Payload payloadAt(qsizetype row) const {
        return m_onePayload ? m_payload0 : m_payload[size_t(row)];
    }
    // From one value for the column to one per row.
    void splitTags();
    void splitPayloads();
    Payload encode(const QVariant& value, FieldType& type);

    QString m_name;
    FieldType m_type;
    qsizetype m_size = 0;
    qsizetype m_reserved = 0;
    bool m_oneTag = true;
    bool m_onePayload = true;
    quint8 m_tag = 0;
    Payload m_payload0{0};
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
