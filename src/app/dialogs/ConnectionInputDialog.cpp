#include "app/dialogs/ConnectionInputDialog.h"

#include "core/base/Error.h"
#include "core/settings/ConnectionRules.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace rp {

namespace {

QString pickDatabaseFile(QWidget* parent) {
    return QFileDialog::getOpenFileName(
        parent, QStringLiteral("Database file"), QString(),
        QStringLiteral("Databases (*.sqlite *.sqlite3 *.db *.hdb *.mdb *.accdb *.xls *.xlsx);;"
                       "All files (*)"));
}

} // namespace

ConnectionInputDialog::ConnectionInputDialog(const QString& title, const QString& prompt,
                                             const QString& text, const QStringList& recent,
                                             QWidget* parent)
    : QDialog(parent), m_picker(pickDatabaseFile) {
    setObjectName(QStringLiteral("ConnectionInputDialog"));
    setWindowTitle(title);
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(prompt, this);
    label->setWordWrap(true);
    layout->addWidget(label);

    m_answer = new QComboBox(this);
    m_answer->setObjectName(QStringLiteral("ConnectionString"));
    m_answer->setEditable(true);
    m_answer->setInsertPolicy(QComboBox::NoInsert);
    m_answer->addItems(recent);
    m_answer->setEditText(text);
    m_answer->lineEdit()->selectAll();
    m_answer->setMinimumContentsLength(60);
    layout->addWidget(m_answer);

    m_error = new QLabel(this);
    m_error->setObjectName(QStringLiteral("BrowseError"));
    m_error->setWordWrap(true);
    m_error->hide();
    layout->addWidget(m_error);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QPushButton* browseButton =
        buttons->addButton(QStringLiteral("Browse..."), QDialogButtonBox::ActionRole);
    browseButton->setObjectName(QStringLiteral("Browse"));
    connect(browseButton, &QPushButton::clicked, this, &ConnectionInputDialog::browse);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

QString ConnectionInputDialog::text() const {
    return m_answer->currentText();
}

void ConnectionInputDialog::browse() {
    const QString path = m_picker ? m_picker(this) : QString();
    if (path.isEmpty())
        return;
    try {
        m_answer->setEditText(connectionStringForFile(path));
        m_error->hide();
    } catch (const Error& e) {
        m_error->setText(e.message());
        m_error->show();
    }
}

} // namespace rp
