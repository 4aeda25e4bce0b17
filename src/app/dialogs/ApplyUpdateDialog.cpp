#include "app/dialogs/ApplyUpdateDialog.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace rp {

ApplyUpdateDialog::ApplyUpdateDialog(const QString& summary, const QStringList& changes,
                                     QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("ApplyUpdateDialog"));
    setWindowTitle(QStringLiteral("Apply workbook"));
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(summary + QLatin1Char('.'), this);
    label->setObjectName(QStringLiteral("summary"));
    layout->addWidget(label);
    auto* list = new QPlainTextEdit(changes.join(QLatin1Char('\n')), this);
    list->setObjectName(QStringLiteral("changes"));
    list->setReadOnly(true);
    list->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    layout->addWidget(list);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    QPushButton* write =
        buttons->addButton(QStringLiteral("&Write to database"), QDialogButtonBox::AcceptRole);
    write->setObjectName(QStringLiteral("write"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(520, 400);
}

bool ApplyUpdateDialog::confirm(QWidget* parent, const QString& summary,
                                const QStringList& changes) {
    ApplyUpdateDialog dialog(summary, changes, parent);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace rp
