#pragma once

#include "core/export/GoPlan.h"
#include "core/export/GraphTableServices.h"

#include <QWidget>
#include <array>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace rp {

struct SeriesSession;
struct DialogStates;

// The Graph/Table dialog: the output choices for the series file the main window handed off, and
// Go, which carries them out.
class GraphTableDialog : public QWidget {
    Q_OBJECT
public:
    GraphTableDialog(SeriesSession& session, GraphTableContext context, GraphTableServices services,
                     QWidget* parent = nullptr);

    // The states a hand-off sets before the dialog is shown.
    void applyHandOff(const DialogStates& states);

    // Go, as its button runs it.
    void go();
    // "Apply workbook...": writes an edited update workbook to the database.
    void applyWorkbook();
    // Shows the file dialog for a file name; true with `path` set to the chosen name (trimmed),
    // false with `path` unchanged when the user cancels.
    bool fOpenFile(QString& path, const QString& filter, const QString& title,
                   const QString& defaultExtension);

    Output output() const;
    void setOutput(Output output);
    QString workingFilePath() const;
    GraphTableServices& services() { return m_services; }

private:
    void buildControls();
    void optionClicked(int index);
    void excelClicked();
    void tableClicked();
    void runGo();
    void notAvailable(const QString& what);
    void message(const QString& text);

    SeriesSession& m_session;
    GraphTableContext m_context;
    GraphTableServices m_services;
    std::array<QRadioButton*, 5> m_option1{};
    QCheckBox* m_xlsOut = nullptr;
    QLineEdit* m_text1 = nullptr;
    QCheckBox* m_addline = nullptr;
    QCheckBox* m_acft = nullptr;
    QCheckBox* m_table = nullptr;
    QCheckBox* m_monthlys = nullptr;
    QCheckBox* m_yearlys = nullptr;
    QCheckBox* m_waterYear = nullptr;
    QPushButton* m_command1 = nullptr;
    QPushButton* m_command2 = nullptr;
};

} // namespace rp
