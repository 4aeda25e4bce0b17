#include "gui/graph/BackdropPainter.h"

#include <QEvent>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>
#include <QVariant>
#include <QWidget>

namespace rp {

BackdropPainter::BackdropPainter(QWidget* target) : QObject(target), m_target(target) {
    target->installEventFilter(this);
    // The view never sees the paints taken over here, so it stops asking for them after its
    // first one: every change of its scene asks for the whole picture instead.
    auto* view = qobject_cast<QGraphicsView*>(target->parentWidget());
    if (view && view->viewport() == target && view->scene())
        connect(view->scene(), &QGraphicsScene::changed, this, [this] { m_target->update(); });
}

BackdropSettings BackdropPainter::settingsOf(const QWidget* widget) {
    BackdropSettings settings;
    settings.style = BackdropStyle(widget->property("MyStyle").toInt());
    settings.direction = GradientDirection(widget->property("MyGradientDir").toInt());
    settings.color1 = QRgb(widget->property("MyGradientColor1").toUInt());
    settings.color2 = QRgb(widget->property("MyGradientColor2").toUInt());
    settings.picture = widget->property("MyPicture").value<QImage>();
    return settings;
}

bool BackdropPainter::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_target || event->type() != QEvent::Paint || m_rendering)
        return QObject::eventFilter(watched, event);
    if (settingsOf(m_target).style == BackdropStyle::None)
        return false;
    const QImage content = contentNow();
    if (!content.isNull()) {
        paintComposite(content);
        return true;
    }
    // A plain widget: paint the picture taken after its last paint, and take a new one.
    if (!m_fresh)
        renderLater();
    m_fresh = false;
    if (m_content.isNull())
        return false;
    paintComposite(m_content);
    return true;
}

QImage BackdropPainter::contentNow() {
    // A graphics view draws its scene off screen without a paint of its own.
    auto* view = qobject_cast<QGraphicsView*>(m_target->parentWidget());
    if (!view || view->viewport() != m_target)
        return {};
    const qreal ratio = m_target->devicePixelRatioF();
    QImage content(m_target->size() * ratio, QImage::Format_ARGB32);
    content.setDevicePixelRatio(ratio);
    content.fill(buttonFaceColor());
    QPainter painter(&content);
    view->render(&painter, QRectF(QPointF(0, 0), m_target->size()), m_target->rect());
    return content;
}

void BackdropPainter::renderLater() {
    if (m_renderPending)
        return;
    m_renderPending = true;
    QTimer::singleShot(0, this, [this] {
        m_renderPending = false;
        const qreal ratio = m_target->devicePixelRatioF();
        QImage content(m_target->size() * ratio, QImage::Format_ARGB32);
        content.setDevicePixelRatio(ratio);
        content.fill(buttonFaceColor());
        m_rendering = true;
        m_target->render(&content);
        m_rendering = false;
        m_content = content;
        m_fresh = true;
        m_target->update();
    });
}

void BackdropPainter::paintComposite(const QImage& content) {
    const BackdropSettings settings = settingsOf(m_target);
    const QImage backdrop = paintBackdrop(settings, content.size());
    QImage result = compositeBackdrop(content, backdrop, buttonFaceColor());
    result.setDevicePixelRatio(content.devicePixelRatio());
    QPainter painter(m_target);
    painter.drawImage(QPoint(0, 0), result);
}

void setBackdropStyle(QWidget* widget, int style) {
    widget->setProperty("MyStyle", style);
}

void setGradientDirection(QWidget* widget, int direction) {
    widget->setProperty("MyGradientDir", direction);
}

void setGradientColor1(QWidget* widget, quint32 colorRef) {
    widget->setProperty("MyGradientColor1", uint(colorFromColorRef(colorRef)));
}

void setGradientColor2(QWidget* widget, quint32 colorRef) {
    widget->setProperty("MyGradientColor2", uint(colorFromColorRef(colorRef)));
}

void setBackdropPicture(QWidget* widget, const QImage& picture) {
    widget->setProperty("MyPicture", picture);
}

void hookBackdrop(QWidget* widget) {
    if (widget->property("Hooked").toInt() != 0) {
        widget->update();
        return;
    }
    widget->setProperty("Hooked", -1);
    new BackdropPainter(widget);
    widget->update();
}

} // namespace rp
