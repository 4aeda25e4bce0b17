#include "gui/widgets/Navigator.h"

#include "gui/widgets/PositionCaption.h"

#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

namespace rp {

Navigator::Navigator(QWidget* parent) : QWidget(parent), m_caption(new QLabel(this)) {
    setObjectName(QStringLiteral("Adodc1"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(1);
    const auto addButton = [&](const char* name, Qt::ArrowType arrow, const QString& tip,
                               Move move) {
        auto* button = new QToolButton(this);
        button->setObjectName(QLatin1String(name));
        button->setArrowType(arrow);
        button->setToolTip(tip);
        button->setAutoRaise(true);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
        connect(button, &QToolButton::clicked, this, [this, move] { emit moveRequested(move); });
        layout->addWidget(button);
    };
    addButton("firstButton", Qt::UpArrow, tr("First record"), Move::First);
    addButton("previousButton", Qt::LeftArrow, tr("Previous record"), Move::Previous);
    m_caption->setObjectName(QStringLiteral("positionCaption"));
    m_caption->setAlignment(Qt::AlignCenter);
    m_caption->setWordWrap(true);
    QFont small = m_caption->font();
    small.setPointSizeF(small.pointSizeF() * 0.8);
    m_caption->setFont(small);
    layout->addWidget(m_caption, 1);
    addButton("nextButton", Qt::RightArrow, tr("Next record"), Move::Next);
    addButton("lastButton", Qt::DownArrow, tr("Last record"), Move::Last);
    setAutoFillBackground(true);
}

void Navigator::setPosition(qint64 position) {
    m_caption->setText(positionCaption(position));
    m_caption->setToolTip(m_caption->text());
}

QString Navigator::caption() const {
    return m_caption->text();
}

} // namespace rp
