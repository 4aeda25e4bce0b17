#include "app/graphtable/GraphTableDialog.h"

#include "core/base/Error.h"
#include "core/export/AcreFeet.h"
#include "core/series/HandOff.h"
#include "core/series/SeriesSession.h"
#include "gui/widgets/MessageBoxDialogs.h"
#include "gui/widgets/Twips.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>

namespace rp {

namespace {

template <typename W>
W* place(W* widget, const QString& name, int left, int top, int width, int height) {
    widget->setObjectName(name);
    widget->setGeometry(twipsRect(left, top, width, height));
    return widget;
}

constexpr int rowHeight = 300;

} // namespace

GraphTableDialog::GraphTableDialog(SeriesSession& session, GraphTableContext context,
                                   GraphTableServices services, QWidget* parent)
    : QWidget(parent, Qt::Window), m_session(session), m_context(std::move(context)),
      m_services(std::move(services)) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Graph/Table"));
    if (!m_services.dialogs)
        m_services.dialogs = &MessageBoxDialogs::instance();
    if (!m_services.today)
        m_services.today = [] { return QDate::currentDate(); };
    fillDesktopServices(m_services);
    buildControls();
}

void GraphTableDialog::buildControls() {
    const auto option = [this](int index, const QString& caption, int left, int top, int width) {
        m_option1[static_cast<size_t>(index)] =
            place(new QRadioButton(caption, this), QStringLiteral("Option1_%1").arg(index), left,
                  top, width, rowHeight);
    };
    const auto box = [this](const char* name, const QString& caption, int left, int top,
                            int width) {
        return place(new QCheckBox(caption, this), QLatin1String(name), left, top, width,
                     rowHeight);
    };
    option(4, QStringLiteral("UPDATE database with Excel"), 240, 120, 3000);
    option(0, QStringLiteral("SAVE"), 240, 480, 1200);
    m_xlsOut = box("XLSout", QStringLiteral("Excel"), 1560, 480, 1200);
    m_text1 = place(new QLineEdit(this), QStringLiteral("Text1"), 240, 840, 5400, rowHeight + 15);
    option(1, QStringLiteral("GRAPH"), 240, 1260, 1200);
    m_addline = box("addline", QStringLiteral("Add series"), 1560, 1260, 1500);
    m_acft = box("acft", QStringLiteral("Acre-Feet"), 3120, 1260, 1500);
    option(2, QStringLiteral("VIEW"), 240, 1620, 1200);
    m_table = box("table", QStringLiteral("Table"), 1560, 1620, 1000);
    m_monthlys = box("monthlys2db", QStringLiteral("Write Monthlys"), 2640, 1620, 1680);
    m_yearlys = box("yearlys2db", QStringLiteral("Write Yearlys"), 4380, 1620, 1500);
    option(3, QStringLiteral("PRINT"), 240, 1980, 1200);
    m_waterYear = box("wateryear", QStringLiteral("Water year"), 1560, 1980, 1680);
    m_waterYear->setToolTip(QStringLiteral(
        "Daily table by water year, October to September, instead of calendar year"));
    m_command1 = place(new QPushButton(QStringLiteral("&Go"), this), QStringLiteral("Command1"),
                       240, 2460, 1200, 420);
    m_command2 = place(new QPushButton(QStringLiteral("&Cancel"), this), QStringLiteral("Command2"),
                       4440, 2460, 1200, 420);
    auto* apply = place(new QPushButton(QStringLiteral("Apply workbook\u2026"), this),
                        QStringLiteral("ApplyWorkbook"), 1560, 2460, 2760, 420);
    apply->setToolTip(QStringLiteral("Write an edited update workbook to the database"));
    setFixedSize(twipsToPixels(6000), twipsToPixels(3060));

    auto* group = new QButtonGroup(this);
    for (int i = 0; i < 5; ++i)
        group->addButton(m_option1[static_cast<size_t>(i)], i);
    m_option1[1]->setChecked(true);
    m_monthlys->setEnabled(false);
    m_yearlys->setEnabled(false);
    m_waterYear->setEnabled(false);

    connect(group, &QButtonGroup::idClicked, this, &GraphTableDialog::optionClicked);
    connect(m_xlsOut, &QCheckBox::clicked, this, &GraphTableDialog::excelClicked);
    connect(m_table, &QCheckBox::clicked, this, &GraphTableDialog::tableClicked);
    connect(m_command1, &QPushButton::clicked, this, &GraphTableDialog::go);
    connect(apply, &QPushButton::clicked, this, &GraphTableDialog::applyWorkbook);
    connect(m_command2, &QPushButton::clicked, this, [this] {
        hide();
        if (QWidget* main = parentWidget()) {
            main->show();
            main->activateWindow();
        }
    });
    // Esc does what Cancel does.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, m_command2, &QPushButton::click);
}

void GraphTableDialog::applyHandOff(const DialogStates& states) {
    m_acft->setChecked(false);
    m_acft->setEnabled(states.acftEnabled);
    m_table->setEnabled(states.tableEnabled);
    if (!states.tableEnabled)
        m_table->setChecked(false);
    m_waterYear->setEnabled(m_table->isChecked() && m_context.dayStep && m_context.dayStep());
    if (!states.updateUnchanged)
        m_option1[4]->setEnabled(states.updateEnabled);
    m_addline->setEnabled(states.addlineEnabled);
    if (!states.addlineEnabled)
        m_addline->setChecked(false);
    m_text1->setText(m_context.seriesFile());
}

void GraphTableDialog::optionClicked(int index) {
    if (index != 0)
        m_xlsOut->setChecked(false);
}

void GraphTableDialog::excelClicked() {
    if (m_xlsOut->isChecked())
        m_option1[0]->setChecked(true);
}

void GraphTableDialog::tableClicked() {
    if (m_table->isChecked()) {
        m_option1[2]->setChecked(true);
        optionClicked(2);
        if (m_context.dayStep && m_context.dayStep()) {
            m_waterYear->setEnabled(true);
            // A database that takes no changes keeps the boxes off and says why.
            const QString refusal =
                m_context.writeBackRefusal ? m_context.writeBackRefusal() : QString();
            for (QCheckBox* box : {m_monthlys, m_yearlys}) {
                box->setEnabled(refusal.isEmpty());
                box->setToolTip(refusal);
            }
        }
    } else {
        m_monthlys->setEnabled(false);
        m_yearlys->setEnabled(false);
        m_waterYear->setEnabled(false);
    }
}

Output GraphTableDialog::output() const {
    for (int i = 0; i < 5; ++i)
        if (m_option1[static_cast<size_t>(i)]->isChecked())
            return static_cast<Output>(i);
    return Output::Graph;
}

void GraphTableDialog::setOutput(Output output) {
    m_option1[static_cast<size_t>(output)]->setChecked(true);
}

QString GraphTableDialog::workingFilePath() const {
    return m_text1->text();
}

bool GraphTableDialog::fOpenFile(QString& path, const QString& /*filter*/, const QString& title,
                                 const QString& defaultExtension) {
    const std::optional<QString> chosen = m_services.chooseFile(
        this, path, QStringLiteral("Select the %1 file").arg(title), defaultExtension);
    if (!chosen || chosen->trimmed().isEmpty())
        return false;
    path = chosen->trimmed();
    return true;
}

void GraphTableDialog::message(const QString& text) {
    m_services.dialogs->message(this, text);
}

void GraphTableDialog::notAvailable(const QString& what) {
    message(QStringLiteral("%1 is not available yet.").arg(what));
}

void GraphTableDialog::applyWorkbook() {
    if (!m_services.applyWorkbook) {
        notAvailable(QStringLiteral("Applying an update workbook"));
        return;
    }
    try {
        m_services.applyWorkbook(this, m_services);
    } catch (const Error& e) {
        message(e.message());
    }
}

void GraphTableDialog::go() {
    try {
        runGo();
    } catch (const Error& e) {
        message(QStringLiteral("Command1: ") + e.message());
    }
    m_command1->setEnabled(true);
    hide();
}

} // namespace rp
