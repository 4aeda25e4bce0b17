#include "app/mainwindow/MainWindow.h"

#include "app/dialogs/DateRangeDialog.h"
#include "app/mainwindow/GraphTableCommand.h"
#include "app/mainwindow/GridEditing.h"
#include "core/base/Error.h"
#include "core/db/Database.h"
#include "core/db/RecordSet.h"
#include "core/settings/AppPaths.h"
#include "core/settings/SettingsFile.h"
#include "core/settings/WindowGeometry.h"
#include "gui/widgets/MessageBoxDialogs.h"
#include "gui/widgets/Navigator.h"
#include "gui/widgets/ProgressWindow.h"
#include "gui/widgets/RecordSetModel.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QScreen>
#include <QTableView>
#include <QTimer>

namespace rp {

namespace {

QString windowCaption() {
    return QStringLiteral("Rivelpos %1.%2.%3 %4")
        .arg(RIVELPOST_VERSION_MAJOR)
        .arg(RIVELPOST_VERSION_MINOR)
        .arg(RIVELPOST_VERSION_PATCH)
        .arg(QStringLiteral(RIVELPOST_LEGAL_NOTICE));
}

} // namespace

MainWindow::MainWindow(QWidget* parent) : MainWindow(Services{}, parent) {}

QString MainWindow::programCaption() {
    return windowCaption();
}

MainWindow::MainWindow(Services services, QWidget* parent)
    : QMainWindow(parent), m_services(std::move(services)),
      m_dialogs(m_services.dialogs ? m_services.dialogs : &MessageBoxDialogs::instance()) {
    setObjectName(QStringLiteral("Form1"));
    if (!m_services.today)
        m_services.today = [] { return QDate::currentDate(); };
    if (!m_services.screenWidth)
        m_services.screenWidth = [] {
            const QScreen* screen = QGuiApplication::primaryScreen();
            return screen ? screen->geometry().width() : 1024;
        };
    buildControls();
    setWindowTitle(programCaption());
    const std::pair<QPushButton*, void (MainWindow::*)()> commands[] = {
        {m_getButton, &MainWindow::goCommand},
        {m_siteIDbutton, &MainWindow::siteListCommand},
        {m_sdidButton, &MainWindow::parametersAllCommand},
        {m_sdidWdataButton, &MainWindow::parametersWithDataCommand},
        {m_tablesButton, &MainWindow::dbTablesCommand},
        {m_command4, &MainWindow::dateCommand},
        {m_passwordButton, &MainWindow::connectionCommand},
        {m_helpButton, &MainWindow::helpCommand}};
    for (const auto& entry : commands) {
        const auto command = entry.second;
        connect(entry.first, &QPushButton::clicked, this,
                [this, command] { runGuarded([this, command] { (this->*command)(); }); });
    }
    m_graphTable = new GraphTableCommand(*this);
    connect(m_viewGraphButton, &QPushButton::clicked, this,
            [this] { runGuarded([this] { m_graphTable->run(); }); });
    connect(m_grid, &QTableView::doubleClicked, this,
            [this] { runGuarded([this] { gridDoubleClick(); }); });
    m_editing = new GridEditing(*this);
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentChanged, m_editing,
            &GridEditing::currentChanged);
    connect(this, &MainWindow::resultReplaced, m_editing, &GridEditing::resultReplaced);
    connect(m_adodc1, &Navigator::moveRequested, this,
            [this](Navigator::Move move) { moveRecord(static_cast<int>(move)); });
}

MainWindow::~MainWindow() {
    // The grid's editing watches the grid's events and reads this window's members: it goes
    // first, before the members and the grid it reads.
    m_model->setEditHistory(nullptr);
    m_model->setNewRowStarter({});
    delete m_editing;
    m_editing = nullptr;
    // The model must not read a record set that is going away.
    m_model->setRecordSet(nullptr, false);
}

void MainWindow::startUp() {
    // Each step that fails says so and the start-up goes on with the next one.
    const auto step = [this](const std::function<void()>& work) {
        try {
            work();
        } catch (const Error&) {
            message(QStringLiteral("Use the Connection Button to set database name."));
        }
    };
    step([this] {
        m_resW = m_services.screenWidth();
        QFont font = m_grid->font();
        font.setPointSize(m_resW < 1001 ? 8 : 10);
        m_grid->setFont(font);
        m_grid->verticalHeader()->setDefaultSectionSize(QFontMetrics(font).height() + 4);
    });
    step([this] { m_seriesFilePath = AppPaths::seriesFilePath(); });
    const QDate today = m_services.today();
    step([&] { setDateTexts(jetDateText(today.addDays(-7)), jetDateText(today)); });
    step([this] { restorePlace(); });
    step([&] {
        DateRangeDialog* form = dateRangeDialog();
        form->fillLists(today.year());
        form->setStartText(m_text2->text());
        form->setEndText(m_text3->text());
    });
    if (!AppPaths::settingsFileExists()) {
        message(QStringLiteral("Use the Connection Button to set database connection."));
        return;
    }
    step([this] {
        m_connectionString = SettingsFile::read(AppPaths::settingsFilePath()).connectionString;
    });
    step([this] { siteListCommand(); });
    // A window the user placed last time stays where it was.
    if (WindowGeometry::load(objectName()).isEmpty())
        setWindowState(windowState() | Qt::WindowMaximized);
}

void MainWindow::restorePlace() {
    const QString start = WindowGeometry::value(objectName(), QStringLiteral("start")).toString();
    const QString end = WindowGeometry::value(objectName(), QStringLiteral("end")).toString();
    if (!start.isEmpty() && !end.isEmpty())
        setDateTexts(start, end);
    bool known = false;
    const int step = WindowGeometry::value(objectName(), QStringLiteral("step")).toInt(&known);
    if (known && step >= 0 && step < timeStepCount)
        setTimeStep(timeStepFromIndex(step));
    restoreGeometry(WindowGeometry::load(objectName()));
}

void MainWindow::rememberPlace() {
    try {
        WindowGeometry::save(objectName(),
                             QVariantMap{{QStringLiteral("geometry"), saveGeometry()},
                                         {QStringLiteral("start"), m_text2->text()},
                                         {QStringLiteral("end"), m_text3->text()},
                                         {QStringLiteral("step"), timeStepIndex(timeStep())}});
    } catch (const Error& e) {
        // Losing the window's place is no reason to keep the user from closing it.
        qWarning("%s", qPrintable(e.message()));
    }
}

void MainWindow::setConnectionString(const QString& connectionString) {
    m_connectionString = connectionString;
    dropConnection();
}

void MainWindow::dropConnection() {
    // The shown record set keeps its own hold on the database; the next query opens afresh.
    m_databaseConnection.clear();
}

TimeStep MainWindow::timeStep() const {
    for (int i = 0; i < timeStepCount; ++i)
        if (m_option1[static_cast<size_t>(i)]->isChecked())
            return timeStepFromIndex(i);
    return defaultTimeStep;
}

void MainWindow::setTimeStep(TimeStep step) {
    m_option1[static_cast<size_t>(timeStepIndex(step))]->setChecked(true);
}

QString MainWindow::modeText() const {
    return m_text1->text();
}
QString MainWindow::startDateText() const {
    return m_text2->text();
}
QString MainWindow::endDateText() const {
    return m_text3->text();
}

void MainWindow::setDateTexts(const QString& start, const QString& end) {
    m_text2->setText(start);
    m_text3->setText(end);
}

DateRangeDialog* MainWindow::dateRangeDialog() {
    if (!m_dateRangeDialog) {
        m_dateRangeDialog = new DateRangeDialog(m_services.today, this);
        m_dateRangeDialog->setModal(true);
        connect(m_dateRangeDialog, &DateRangeDialog::datesChosen, this, &MainWindow::setDateTexts);
        connect(m_dateRangeDialog, &QDialog::finished, this, [this] {
            if (m_dateRangeDialog && m_dateRangeDialog->closedFromTitleBar())
                m_dateRangeDialog->deleteLater();
            applyControlStates(Command::GoAvailable);
        });
    }
    return m_dateRangeDialog;
}

void MainWindow::dateCommand() {
    dateRangeDialog()->open();
}

void MainWindow::chooseTimeStep() {
    applyControlStates(Command::GoAvailable);
}

void MainWindow::applyControlStates(Command command) {
    const ControlStates& s = controlStates(command);
    const auto apply = [](QWidget* widget, Switch state) {
        if (state != Switch::Keep)
            widget->setEnabled(state == Switch::On);
    };
    apply(m_siteIDbutton, s.siteList);
    apply(m_sdidWdataButton, s.paramsWithData);
    apply(m_getButton, s.go);
    apply(m_viewGraphButton, s.graphTable);
    apply(m_tablesButton, s.dbTables);
    apply(m_sdidButton, s.paramsAll);
    apply(m_allowEdit, s.editBoxes);
    apply(m_autoInsert, s.editBoxes);
    if (s.clearEditBoxes) {
        m_allowEdit->setChecked(false);
        m_autoInsert->setChecked(false);
    }
    apply(m_text4, s.text4);
    switch (s.text1) {
    case ModeText::Keep:
        break;
    case ModeText::Empty:
        m_text1->clear();
        break;
    case ModeText::Sql:
        m_text1->setText(QStringLiteral("SQL"));
        break;
    case ModeText::Table:
        m_text1->setText(QStringLiteral("Table"));
        break;
    }
    if (s.label1 != LabelText::Keep)
        m_label1->setText(s.label1 == LabelText::Sid ? QStringLiteral("SID")
                                                     : QStringLiteral("DSID"));
    if (s.clearCheck1)
        m_check1->setChecked(false);
}

void MainWindow::message(const QString& text) {
    m_dialogs->message(this, text);
}

void MainWindow::runGuarded(const std::function<void()>& command) {
    // A command that waits for the user (a message box) must not let a second one start.
    if (m_commandRunning)
        return;
    m_commandRunning = true;
    // Statements that run longer than half a second show their progress and can be cancelled.
    ProgressWindow progress(this, QStringLiteral("Working..."));
    m_commandProgress = progress.callback();
    const auto endProgress = qScopeGuard([this] {
        m_commandProgress = {};
        if (m_database)
            m_database->setProgress({});
    });
    try {
        command();
    } catch (const Error& e) {
        m_commandRunning = false;
        progress.finish();
        message(e.message());
        return;
    }
    m_commandRunning = false;
}

bool MainWindow::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) {
        focusGrid();
        if (!m_activatedOnce) {
            m_activatedOnce = true;
            QTimer::singleShot(0, this, [this] { firstActivation(); });
        }
    }
    return QMainWindow::event(event);
}

void MainWindow::firstActivation() {
    if (m_commandRunning) {
        QTimer::singleShot(50, this, [this] { firstActivation(); });
        return;
    }
    runGuarded([this] { siteListCommand(); });
}

void MainWindow::closeEvent(QCloseEvent* event) {
    rememberPlace();
    emit closing();
    QMainWindow::closeEvent(event);
    // Closing the main window ends the program, whatever other windows are open.
    if (event->isAccepted())
        QCoreApplication::quit();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    // Own SQL is switched by the mouse press alone, acting on the state before the click.
    if (watched == m_check1 && event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
        runGuarded([this] { ownSqlPressed(); });
    return QMainWindow::eventFilter(watched, event);
}

} // namespace rp
