#pragma once

#include <QStyledItemDelegate>

namespace rp {

// The grid's cell editor: Enter keeps the typed text and then asks to move to the next record;
// Esc drops the change to the cell.
class EnterKeyDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

signals:
    void enterPressed();
    // Esc in the editor: the typed text is about to be dropped.
    void escapePressed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace rp
