#include "core/edit/RowBuffer.h"

#include "core/base/Error.h"

namespace rp {

const QString& RowBuffer::element(qsizetype i) const {
    if (!m_elements)
        throw Error(QStringLiteral("No record has been copied yet."));
    if (i < 0 || i >= m_elements->size())
        throw Error(QStringLiteral("The copied record has no column %1.").arg(i));
    return (*m_elements)[i];
}

const QStringList& RowBuffer::elements() const {
    if (!m_elements)
        throw Error(QStringLiteral("No record has been copied yet."));
    return *m_elements;
}

bool RowBuffer::insertionPending() const {
    return m_elements && m_elements->size() > 1 && !(*m_elements)[1].isEmpty();
}

void RowBuffer::endInsertion() {
    if (m_elements && m_elements->size() > 1)
        (*m_elements)[1].clear();
}

} // namespace rp
