#pragma once

#include "core/chart/Backdrop.h"

#include <QObject>

class QWidget;

namespace rp {

// Paints a backdrop behind a widget: the widget draws its own picture off screen, and every pixel
// it leaves in the button-face colour shows the backdrop. The settings live on the widget as the
// properties "MyStyle", "MyGradientDir", "MyGradientColor1", "MyGradientColor2" and "MyPicture",
// read at every paint; "Hooked" marks a widget that has the painter.
class BackdropPainter : public QObject {
    Q_OBJECT
public:
    explicit BackdropPainter(QWidget* target);

    // The backdrop the widget's properties describe now.
    static BackdropSettings settingsOf(const QWidget* widget);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QImage contentNow();
    void renderLater();
    void paintComposite(const QImage& content);

    QWidget* m_target;
    bool m_rendering = false;
    // Plain widgets cannot draw themselves inside their own paint: their picture is taken just
    // after it and painted on the next one.
    QImage m_content;
    bool m_fresh = false;
    bool m_renderPending = false;
};

void setBackdropStyle(QWidget* widget, int style);
void setGradientDirection(QWidget* widget, int direction);
// Colours as the settings file holds them (red in the low byte; top bit: a system colour).
void setGradientColor1(QWidget* widget, quint32 colorRef);
void setGradientColor2(QWidget* widget, quint32 colorRef);
void setBackdropPicture(QWidget* widget, const QImage& picture);
// Installs the painter once; later calls leave it and only the properties change what is drawn.
void hookBackdrop(QWidget* widget);

} // namespace rp
