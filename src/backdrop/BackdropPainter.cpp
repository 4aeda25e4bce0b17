#include "backdrop/BackdropPainter.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QVariant>
#include <QWidget>

namespace rp {

BackdropPainter::BackdropPainter(QWidget* target) : QObject(target), m_target(target) {
    target->installEventFilter(this);
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
    const BackdropSettings settings = settingsOf(m_target);
    if (settings.style == BackdropStyle::None)
        return false;

    // The widget's own picture, drawn off screen through this same event with the filter idle.
    const qreal ratio = m_target->devicePixelRatioF();
    QImage content(m_target->size() * ratio, QImage::Format_ARGB32);
    content.setDevicePixelRatio(ratio);
    content.fill(buttonFaceColor());
    m_rendering = true;
    m_target->render(&content);
    m_rendering = false;

    QImage backdrop = paintBackdrop(settings, content.size());
    QImage result = compositeBackdrop(content, backdrop, buttonFaceColor());
    result.setDevicePixelRatio(ratio);
    QPainter painter(m_target);
    painter.drawImage(QPoint(0, 0), result);
    return true;
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
