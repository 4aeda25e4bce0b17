#pragma once

#include "core/base/Progress.h"
#include "core/base/TimeStep.h"
#include "core/settings/ControlStates.h"
#include "gui/widgets/Twips.h"

#include <QDate>
#include <QMainWindow>
#include <QPointer>
#include <array>
#include <functional>
#include <memory>

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTableView;
class QUrl;

namespace rp {

class CommandPrompts;
class ContigRunner;
class Database;
class DateRangeDialog;
class GraphTableCommand;
class GridEditing;
class GridWheelScroller;
class Navigator;
class RecordSet;
class RecordSetModel;
class UserDialogs;

// The main window's collaborators, replaceable in tests.
struct MainWindowServices {
    UserDialogs* dialogs = nullptr;   // message boxes; the desktop's when null
    std::function<QDate()> today;     // the clock; today's date when empty
    std::function<int()> screenWidth; // screen width in pixels; the primary screen's when empty
    // Connection and Help questions; the desktop's when null.
    CommandPrompts* prompts = nullptr;
    // The defragmenter; rivelpost-contig when null.
    ContigRunner* contig = nullptr;
    // Opens an address in the desktop's browser; QDesktopServices when empty.
    std::function<bool(const QUrl&)> openUrl;
    // Asks for the data file "Load file…" reads; a file dialog when empty.
    std::function<QString()> chooseDataFile;
};

// The main window: the mode box, dates and time step, the SQL box, the command row and the grid
// with the current result set. Other windows read its state through the accessors below.
class MainWindow : public QMainWindow {
    Q_OBJECT
    friend class GridEditing; // the grid's editing commands (src/edit)

public:
    using Services = MainWindowServices;

    explicit MainWindow(QWidget* parent = nullptr);
    explicit MainWindow(Services services, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The start-up sequence; the program's entry runs it before showing the window.
    void startUp();

    // State other windows read.
    const QString& connectionString() const { return m_connectionString; }
    // A new connection string; the next query opens the database afresh.
    void setConnectionString(const QString& connectionString);
    // The next query opens the database afresh (after the file was replaced, for example).
    void dropConnection();
    TimeStep timeStep() const;
    void setTimeStep(TimeStep step);
    QString modeText() const;      // Text1
    QString startDateText() const; // Text2
    QString endDateText() const;   // Text3
    void setDateTexts(const QString& start, const QString& end);
    const QString& site() const { return m_site; }
    const QString& stationId() const { return m_stationId; }
    const QString& dateIncrement() const { return m_dateIncrement; }
    int stepCount() const { return m_stepCount; }
    bool excelFlag() const { return m_excel; }
    bool rsiteLast() const { return m_rsiteLast; }
    const QString& seriesFilePath() const { return m_seriesFilePath; }
    int screenWidthPixels() const { return m_resW; }
    // The current result set (null before the first query) and what shows it.
    RecordSet* recordSet() const { return m_recordSet.get(); }
    std::shared_ptr<Database> database() const { return m_database; }
    RecordSetModel* gridModel() const { return m_model; }
    QTableView* dataGrid() const { return m_grid; }
    QPushButton* editButton() const { return m_editButton; }
    // The Graph/Table command and the dialog it shows.
    GraphTableCommand* graphTable() const { return m_graphTable; }
    UserDialogs& dialogs() const { return *m_dialogs; }
    GridEditing* gridEditing() const { return m_editing; }
    DateRangeDialog* dateRangeDialog();

    // Twips to pixels for this window's font.
    const TwipsScale& twipsScale() const { return m_scale; }
    // The command row's geometry, in twips.
    static constexpr int normalTop = 1560;
    static constexpr int normalHeight = 450;
    static constexpr int activeTop = 1410;
    static constexpr int activeHeight = 600;
    // Makes one button of the command row the active one.
    void setActiveButton(QPushButton* button);
    QPushButton* activeButton() const { return m_activeButton; }
    void applyControlStates(Command command);

    // The commands; each also runs from its control.
    void siteListCommand();
    void parametersAllCommand();
    void parametersWithDataCommand();
    void goCommand();
    void dbTablesCommand();
    void gridDoubleClick();
    void ownSqlPressed();
    void dateCommand();
    // "Load file…" (Edit menu): loads an agency's data file, then retrieves what it loaded.
    void loadFileCommand();
    // Runs the SQL box or the retrieval of the time step into the grid.
    void runQuery();
    // Connection and Help (MainWindowConnection.cpp).
    void connectionCommand();
    void helpCommand();
    // The grid shows no result and the database is closed until the next query.
    void releaseResult();
    // The caption the window starts with.
    static QString programCaption();

signals:
    // The grid shows a new result set.
    void resultReplaced();
    // The window is closing and the program ends: other windows let go of what they hold.
    void closing();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    class CommandView;
    // Layout (MainWindowLayout.cpp)
    void buildControls();
    // Widens the command buttons whose captions the font makes too wide for them.
    void fitCommandRow();
    QPushButton* addRowButton(const char* name, const QString& caption, const QString& tip,
                              int left, int width);
    void applyResizeRule();
    // Grid helpers (MainWindowGrid.cpp)
    void showResult(std::unique_ptr<RecordSet> recordSet, std::shared_ptr<Database> database,
                    bool editable);
    std::shared_ptr<Database> connectionFor(const QString& connectionString);
    void focusGrid();
    bool hasRecords() const;
    QString currentText(int field) const;
    bool currentIsNull(int field) const;
    QString columnCaption(int column) const;
    int topRecord() const;     // 1-based record in the top visible row, 0 when none
    int currentOffset() const; // current row minus the top visible row
    void scrollToTop(int record);
    void setCurrentRow(int row);
    void setColumnWidths(std::initializer_list<int> twips, double factor);
    void fitColumnsToTexts();
    void fitTopRow(std::initializer_list<std::pair<QWidget*, QWidget*>> row);
    double widthFactor(bool parameterList) const;
    void moveRecord(int move);
    void syncPosition();
    // Command plumbing (MainWindowCommands.cpp)
    void message(const QString& text);
    void runGuarded(const std::function<void()>& command);
    void firstActivation();
    void chooseTimeStep();
    // After a new connection: the new database's site list, as at a fresh start.
    void startOnNewDatabase();
    // The size, place, dates and time step kept across runs beside the settings file.
    void restorePlace();
    void rememberPlace();

    Services m_services;
    UserDialogs* m_dialogs;

    // Controls
    QLabel* m_label1 = nullptr;
    QLineEdit* m_text1 = nullptr;
    QLineEdit* m_text2 = nullptr;
    QLineEdit* m_text3 = nullptr;
    QPushButton* m_command4 = nullptr;
    QGroupBox* m_frame1 = nullptr;
    std::array<QRadioButton*, timeStepCount> m_option1{};
    QCheckBox* m_check1 = nullptr;
    QPlainTextEdit* m_text4 = nullptr;
    QCheckBox* m_allowEdit = nullptr;
    QCheckBox* m_autoInsert = nullptr;
    QFrame* m_frame2 = nullptr;
    QPushButton* m_siteIDbutton = nullptr;
    QPushButton* m_sdidWdataButton = nullptr;
    QPushButton* m_getButton = nullptr;
    QPushButton* m_viewGraphButton = nullptr;
    QPushButton* m_tablesButton = nullptr;
    QPushButton* m_sdidButton = nullptr;
    QPushButton* m_passwordButton = nullptr;
    QPushButton* m_helpButton = nullptr;
    std::array<QPushButton*, 8> m_rowButtons{};
    QPushButton* m_activeButton = nullptr;
    QPushButton* m_editButton = nullptr;
    QTableView* m_grid = nullptr;
    RecordSetModel* m_model = nullptr;
    Navigator* m_adodc1 = nullptr;
    GridWheelScroller* m_wheel = nullptr;
    GraphTableCommand* m_graphTable = nullptr;
    GridEditing* m_editing = nullptr;
    QPointer<DateRangeDialog> m_dateRangeDialog;

    TwipsScale m_scale;
    int m_topRowShift = 0; // pixels the top row moved right to show its texts whole

    // Window state
    QString m_connectionString;
    bool m_sidon = false;
    QString m_site;
    int m_resW = 0;
    QString m_dateIncrement;
    int m_stepCount = 0;
    bool m_excel = false;
    bool m_rsiteLast = false;
    int m_firstdgrow = 0;
    int m_selectdgrow = 0;
    int m_firstparamrow = 0;
    int m_selectparamrow = 0;
    int m_previousFirstdgrow = 0;
    int m_previousSelectdgrow = 0;
    bool m_parameterList = false;
    bool m_activatedOnce = false;
    bool m_commandRunning = false;
    QString m_stationId;
    QString m_seriesFilePath;

    std::shared_ptr<Database> m_database;
    // The running command's progress, handed to the database it queries.
    Progress m_commandProgress;
    QString m_databaseConnection;
    std::unique_ptr<RecordSet> m_recordSet;
};

} // namespace rp
