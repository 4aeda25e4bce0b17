#pragma once

#include <QDialog>

class QPlainTextEdit;

namespace rp {

// A read-only view of a text file in a fixed-pitch font, for when the desktop has no viewer.
class TextViewer : public QDialog {
    Q_OBJECT
public:
    TextViewer(const QString& path, const QString& text, QWidget* parent = nullptr);
    QString text() const;

    // Reads the file (8-bit text) and shows it in a new viewer that deletes itself when closed.
    // Throws rp::Error when the file cannot be read.
    static TextViewer* showFile(QWidget* parent, const QString& path);

private:
    QPlainTextEdit* m_text = nullptr;
};

} // namespace rp
