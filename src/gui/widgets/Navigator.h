#pragma once

#include <QWidget>

class QLabel;
class QToolButton;

namespace rp {

// The record navigator beside the grid: first, previous, next and last record, and the current
// record's position as its caption.
class Navigator : public QWidget {
    Q_OBJECT
public:
    enum class Move { First, Previous, Next, Last };

    explicit Navigator(QWidget* parent = nullptr);
    // Position 1..count, 0 for none.
    void setPosition(qint64 position);
    QString caption() const;

signals:
    void moveRequested(rp::Navigator::Move move);

private:
    QLabel* m_caption;
};

} // namespace rp
