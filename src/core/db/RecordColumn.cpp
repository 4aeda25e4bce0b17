#include "core/db/RecordColumn.h"

#include "core/base/JetDate.h"
#include "core/base/ValueText.h"

#include <algorithm>

namespace rp {

QDateTime dateTimeFromMSecs(qint64 msecs) {
    return QDateTime::fromMSecsSinceEpoch(msecs, Qt::UTC);
}

qint64 msecsFromDateTime(const QDateTime& dateTime) {
    // The wall-clock reading counts, whatever time zone the value came with.
    return naiveDateTime(dateTime.date(), dateTime.time()).toMSecsSinceEpoch();
}

RecordColumn::RecordColumn(const QString& name, FieldType declaredType)
    : m_name(name), m_type(declaredType) {}

void RecordColumn::reserve(qsizetype rows) {
    m_reserved = rows;
    if (!m_onePayload)
        m_payload.reserve(size_t(rows));
    if (!m_oneTag)
        m_tags.reserve(size_t(rows));
}

void RecordColumn::splitTags() {
    m_tags.reserve(size_t(std::max(m_reserved, m_size + 1)));
    for (qsizetype i = 0; i < m_size; ++i)
        m_tags.push_back(m_tag);
    m_oneTag = false;
}

void RecordColumn::splitPayloads() {
    m_payload.reserve(size_t(std::max(m_reserved, m_size + 1)));
    for (qsizetype i = 0; i < m_size; ++i)
        m_payload.push_back(m_payload0);
    m_onePayload = false;
}

void RecordColumn::appendText(const QString& text) {
    auto it = m_textIndex.constFind(text);
    if (it == m_textIndex.constEnd()) {
        it = m_textIndex.insert(text, qint64(m_texts.size()));
        m_texts.push_back(text);
    }
    push(FieldType::Text, it.value());
}

void RecordColumn::appendBlob(const QByteArray& bytes) {
    push(FieldType::Blob, qint64(m_blobs.size()));
    m_blobs.push_back(bytes);
}

RecordColumn::Payload RecordColumn::encode(const QVariant& value, FieldType& type) {
    Payload p;
    p.integer = 0;
    type = FieldType::Null;
    if (!value.isValid() || value.isNull())
        return p;
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        type = FieldType::Real;
        p.real = value.toDouble();
        break;
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Bool:
        type = FieldType::Integer;
        p.integer = value.toLongLong();
        break;
    case QMetaType::QDateTime:
        type = FieldType::DateTime;
        p.integer = msecsFromDateTime(value.toDateTime());
        break;
    case QMetaType::QDate:
        type = FieldType::DateTime;
        p.integer = msecsFromDateTime(naiveDateTime(value.toDate()));
        break;
    case QMetaType::QByteArray:
        type = FieldType::Blob;
        p.integer = qint64(m_blobs.size());
        m_blobs.push_back(value.toByteArray());
        break;
    default:
        type = FieldType::Text;
        p.integer = qint64(m_texts.size());
        m_texts.push_back(value.toString());
        break;
    }
    return p;
}

void RecordColumn::append(const QVariant& value) {
    if (value.typeId() == QMetaType::QString) {
        appendText(value.toString());
        return;
    }
    FieldType type;
    const Payload p = encode(value, type);
    push(quint8(type), p);
}

void RecordColumn::removeLast() {
    if (!m_onePayload)
        m_payload.pop_back();
    if (!m_oneTag)
        m_tags.pop_back();
    --m_size;
}

void RecordColumn::finish() {
    m_textIndex = {};
    // Growth by doubling may leave up to half the capacity unused.
    m_tags.shrink_to_fit();
    m_payload.shrink_to_fit();
    m_texts.shrink_to_fit();
    if (m_type == FieldType::Null) {
        for (qsizetype i = 0; i < m_size; ++i)
            if (typeAt(i) != FieldType::Null) {
                m_type = typeAt(i);
                break;
            }
    }
}

QVariant RecordColumn::value(qsizetype row) const {
    const Payload p = payloadAt(row);
    switch (typeAt(row)) {
    case FieldType::Null:
        return {};
    case FieldType::Integer:
        return QVariant(qlonglong(p.integer));
    case FieldType::Real:
        return QVariant(p.real);
    case FieldType::Text:
        return QVariant(m_texts[size_t(p.integer)]);
    case FieldType::DateTime:
        return QVariant(dateTimeFromMSecs(p.integer));
    case FieldType::Blob:
        return QVariant(m_blobs[size_t(p.integer)]);
    }
    return {};
}

QString RecordColumn::displayText(qsizetype row) const {
    const Payload p = payloadAt(row);
    switch (typeAt(row)) {
    case FieldType::Null:
        return {};
    case FieldType::Integer:
        return integerText(p.integer);
    case FieldType::Real:
        return numberText(p.real);
    case FieldType::Text:
        return m_texts[size_t(p.integer)];
    case FieldType::DateTime:
        return gridDateTimeText(dateTimeFromMSecs(p.integer));
    case FieldType::Blob:
        return valueText(m_blobs[size_t(p.integer)]);
    }
    return {};
}

void RecordColumn::appendDisplayText(QByteArray& latin1, qsizetype row) const {
    const Payload p = payloadAt(row);
    switch (typeAt(row)) {
    case FieldType::Null:
        return;
    case FieldType::Integer:
        latin1 += QByteArray::number(p.integer);
        return;
    case FieldType::Real:
        appendNumberText(latin1, p.real);
        return;
    default:
        latin1 += displayText(row).toLatin1();
    }
}

void RecordColumn::set(qsizetype row, const QVariant& value) {
    FieldType type;
    Payload p = encode(value, type);
    if (type == FieldType::Null)
        p = m_payload0;
    if (m_onePayload && !samePayload(p, m_payload0))
        splitPayloads();
    if (!m_onePayload)
        m_payload[size_t(row)] = p;
    if (m_oneTag && quint8(type) != m_tag)
        splitTags();
    if (!m_oneTag)
        m_tags[size_t(row)] = quint8(type);
    if (m_type == FieldType::Null)
        m_type = type;
}

qsizetype RecordColumn::memoryBytes() const {
    qsizetype bytes = qsizetype(sizeof(*this));
    bytes += qsizetype(m_payload.capacity() * sizeof(Payload) + m_tags.capacity());
    bytes += qsizetype(m_texts.capacity() * sizeof(QString));
    for (const QString& t : m_texts)
        bytes += t.capacity() * qsizetype(sizeof(QChar));
    bytes += qsizetype(m_blobs.capacity() * sizeof(QByteArray));
    for (const QByteArray& b : m_blobs)
        bytes += b.capacity();
    return bytes;
}

} // namespace rp
