#pragma once

#include "core/hdb/SeriesLoad.h"
#include "formats/readers/ReadOptions.h"
#include "formats/readers/ReadResult.h"

#include <QDialog>
#include <functional>
#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QTreeWidget;

namespace rp {

class Database;

// "Load file…": reads an agency's data file, shows its series with the parameter and table each
// would go to (and the times the HDB already holds), takes the conflict choice and loads the
// checked series in one transaction.
class LoadFileDialog : public QDialog {
    Q_OBJECT
public:
    // chooseFile asks for the file (a file dialog when empty); progress hears how far the load
    // has got and may cancel it.
    LoadFileDialog(std::shared_ptr<Database> database, QWidget* parent = nullptr,
                   std::function<QString()> chooseFile = {}, Progress progress = {});

    // Reads the file and fills the list; a file the readers refuse shows why and lists nothing.
    void readFile(const QString& path);
    // Loads the checked series; on success the dialog is accepted. Throws rp::Error.
    void load();
    const QList<LoadResult>& results() const { return m_results; }

private:
    QList<readers::Series> checkedSeries() const;
    LoadOptions options() const;
    readers::ReadOptions readOptions() const;
    void showPlans();

    std::shared_ptr<Database> m_database;
    std::function<QString()> m_chooseFile;
    Progress m_progress;
    readers::ReadResult m_read;
    QList<LoadResult> m_results;
    QLineEdit* m_file;
    QTreeWidget* m_list;
    QLineEdit* m_dsid;
    QLineEdit* m_fileOffset;
    QLineEdit* m_siteOffset;
    QComboBox* m_conflict;
    QLabel* m_note;
};

} // namespace rp
