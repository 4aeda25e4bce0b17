#pragma once

#include <QColor>
#include <QImage>
#include <QRgb>
#include <QSize>

namespace rp {

// What is painted behind the chart.
enum class BackdropStyle { None = 0, Picture = 1, Gradient = 2 };

enum class GradientDirection { Horizontal = 0, Vertical = 1 };

struct BackdropSettings {
    BackdropStyle style = BackdropStyle::None;
    QImage picture; // tiled from the top-left corner
    GradientDirection direction = GradientDirection::Vertical;
    QRgb color1 = qRgb(0, 0, 0); // at the top (or left)
    QRgb color2 = qRgb(0, 0, 0); // at the bottom (or right)
};

// The backdrop alone, `size` pixels: the tiled picture or the two-colour gradient; transparent for
// no style or a picture that is missing.
QImage paintBackdrop(const BackdropSettings& settings, QSize size);

// The chart over its backdrop: every pixel of `content` whose colour equals `transparent` exactly
// shows the backdrop, every other pixel shows the chart.
QImage compositeBackdrop(const QImage& content, const QImage& backdrop, QRgb transparent);

// Colours as the settings file stores them: 24-bit numbers with red in the low byte. A number with
// the top bit set names a system colour (its low bits the index) and resolves to that colour now.
QRgb colorFromColorRef(quint32 value);
quint32 colorRefFromColor(QRgb color);

// The button-face colour the chart leaves where the backdrop shows.
QRgb buttonFaceColor();

} // namespace rp
