#include "gui/widgets/TextViewer.h"

#include "gui/widgets/TextPrinting.h"

#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace rp {

TextViewer::TextViewer(const QString& path, const QString& text, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("TextViewer"));
    setWindowTitle(path);
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("ViewerText"));
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_text->setPlainText(text);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_text);
    resize(900, 640);
}

QString TextViewer::text() const {
    return m_text->toPlainText();
}

TextViewer* TextViewer::showFile(QWidget* parent, const QString& path) {
    auto* viewer = new TextViewer(path, readTextFileLines(path).join(QLatin1Char('\n')), parent);
    viewer->setAttribute(Qt::WA_DeleteOnClose);
    viewer->showMaximized();
    return viewer;
}

} // namespace rp
