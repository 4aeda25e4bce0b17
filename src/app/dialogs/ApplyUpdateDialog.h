#pragma once

#include <QDialog>
#include <QStringList>

namespace rp {

// Shows what an update workbook will change in the database and asks whether to write it.
class ApplyUpdateDialog : public QDialog {
    Q_OBJECT
public:
    ApplyUpdateDialog(const QString& summary, const QStringList& changes,
                      QWidget* parent = nullptr);

    // Shows the dialog; true when the user chose to write.
    static bool confirm(QWidget* parent, const QString& summary, const QStringList& changes);
};

} // namespace rp
