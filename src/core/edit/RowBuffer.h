#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace rp {

// The cell texts of one record, kept for Paste Record and for the automatic insertion of rows.
// It does not exist until the first copy or insertion. Element 1 is the date of the record to
// insert next; an empty element 1 means that no insertion is pending.
class RowBuffer {
public:
    bool exists() const { return m_elements.has_value(); }
    qsizetype size() const { return m_elements ? m_elements->size() : 0; }
    // Element i; throws rp::Error when there is no buffer or no such element.
    const QString& element(qsizetype i) const;
    const QStringList& elements() const;

    // Replaces the buffer with a record's texts, sized to them.
    void set(QStringList texts) { m_elements = std::move(texts); }
    bool insertionPending() const;
    // The pending insertion is done: element 1 is emptied.
    void endInsertion();

private:
    std::optional<QStringList> m_elements;
};

} // namespace rp
