#include "core/chart/Backdrop.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPalette>

namespace rp {

namespace {

int mix(int a, int b, int position, int length) {
    return length <= 1 ? a : a + (b - a) * position / (length - 1);
}

QRgb mixColor(QRgb a, QRgb b, int position, int length) {
    return qRgb(mix(qRed(a), qRed(b), position, length),
                mix(qGreen(a), qGreen(b), position, length),
                mix(qBlue(a), qBlue(b), position, length));
}

QPalette::ColorRole systemColorRole(quint32 index) {
    // The classic system colour indexes that have a palette counterpart.
    switch (index) {
    case 5: // window
        return QPalette::Base;
    case 8:  // window text
    case 18: // button text
        return QPalette::Text;
    case 13: // highlight
        return QPalette::Highlight;
    case 14: // highlighted text
        return QPalette::HighlightedText;
    case 16: // button shadow
        return QPalette::Mid;
    case 20: // button highlight
        return QPalette::Light;
    default: // 15 button face and everything else
        return QPalette::Button;
    }
}

} // namespace

QImage paintBackdrop(const BackdropSettings& settings, QSize size) {
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    if (size.isEmpty())
        return image;
    if (settings.style == BackdropStyle::Gradient) {
        const bool vertical = settings.direction == GradientDirection::Vertical;
        const int length = vertical ? size.height() : size.width();
        for (int y = 0; y < size.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < size.width(); ++x)
                line[x] = mixColor(settings.color1, settings.color2, vertical ? y : x, length);
        }
    } else if (settings.style == BackdropStyle::Picture && !settings.picture.isNull()) {
        QPainter painter(&image);
        painter.fillRect(image.rect(), QBrush(settings.picture));
    }
    return image;
}

QImage compositeBackdrop(const QImage& content, const QImage& backdrop, QRgb transparent) {
    QImage out = content.convertToFormat(QImage::Format_ARGB32);
    const QImage back = backdrop.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = transparent & RGB_MASK;
    const int width = std::min(out.width(), back.width());
    const int height = std::min(out.height(), back.height());
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        const auto* behind = reinterpret_cast<const QRgb*>(back.constScanLine(y));
        for (int x = 0; x < width; ++x)
            if ((line[x] & RGB_MASK) == key && qAlpha(behind[x]) != 0)
                line[x] = behind[x];
    }
    return out;
}

QRgb colorFromColorRef(quint32 value) {
    if (value & 0x80000000u) {
        const QPalette palette = QGuiApplication::palette();
        return palette.color(systemColorRole(value & 0x7fffffffu)).rgb();
    }
    return qRgb(int(value & 0xff), int((value >> 8) & 0xff), int((value >> 16) & 0xff));
}

quint32 colorRefFromColor(QRgb color) {
    return quint32(qRed(color)) | quint32(qGreen(color)) << 8 | quint32(qBlue(color)) << 16;
}

QRgb buttonFaceColor() {
    return QGuiApplication::palette().color(QPalette::Button).rgb();
}

} // namespace rp
