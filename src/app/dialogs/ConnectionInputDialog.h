#pragma once

#include <QDialog>
#include <functional>

class QComboBox;
class QLabel;

namespace rp {

// The one-line input box of the Connection command: the prompt, the connection string (typed, or
// taken from the recent ones), "Browse..." to pick a database file, OK and Cancel.
class ConnectionInputDialog : public QDialog {
    Q_OBJECT
public:
    // Picks a database file; an empty text when the user gave none.
    using FilePicker = std::function<QString(QWidget* parent)>;

    ConnectionInputDialog(const QString& title, const QString& prompt, const QString& text,
                          const QStringList& recent, QWidget* parent = nullptr);
    QString text() const;
    void setFilePicker(FilePicker picker) { m_picker = std::move(picker); }
    // The connection string for a picked file goes into the box.
    void browse();

private:
    QComboBox* m_answer = nullptr;
    QLabel* m_error = nullptr;
    FilePicker m_picker;
};

} // namespace rp
