// The main window's controls, their places in twips, the command row and the resize rule.
#include "app/mainwindow/MainWindow.h"

#include "gui/widgets/GridWheelScroller.h"
#include "gui/widgets/Navigator.h"
#include "gui/widgets/RecordSetModel.h"
#include "gui/widgets/Twips.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFontMetricsF>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QResizeEvent>
#include <QStyle>
#include <QTableView>

namespace rp {

namespace {

// The design client size.
constexpr int designWidth = 11415;
constexpr int designHeight = 7230;
constexpr int boxTop = 240;
constexpr int boxHeight = 300;

// The widest texts of the mode box (an eight-digit key) and of a date box ("dd-mmm-yyyy").
QStringList widestTexts(const QLineEdit* box, const QLineEdit* keyBox) {
    if (box == keyBox)
        return {QStringLiteral("00000000")};
    QStringList dates;
    for (int month = 1; month <= 12; ++month)
        dates << QStringLiteral("28-%1-2000").arg(monthAbbreviation(month));
    return dates;
}

// The width a line edit needs to show `texts` whole: its frame and inner margins, and a pixel to
// spare either side.
int lineEditWidthFor(const QLineEdit& box, const QStringList& texts) {
    const QFontMetrics metrics(box.font());
    int widest = 0;
    for (const QString& text : texts)
        widest = std::max(widest, metrics.horizontalAdvance(text));
    return widest + 2 * box.style()->pixelMetric(QStyle::PM_DefaultFrameWidth) + 6;
}

// A keyboard shortcut for a command button, named in its tool tip.
void addShortcut(QPushButton* button, const QKeySequence& keys) {
    button->setShortcut(keys);
    button->setToolTip(
        QStringLiteral("%1 (%2)").arg(button->toolTip(), keys.toString(QKeySequence::NativeText)));
}

} // namespace

void MainWindow::buildControls() {
    // The twips layout is drawn for 8-point captions.
    QFont designFont = font();
    designFont.setPointSize(8);
    setFont(designFont);
    // Drawn for a narrower font: the layout widens by the ratio of the average characters.
    m_scale = TwipsScale(QFontMetricsF(designFont).averageCharWidth() / designAverageCharWidth);
    const auto place = [this](auto* widget, const char* name, int left, int top, int width,
                              int height) {
        widget->setObjectName(QLatin1String(name));
        widget->setGeometry(m_scale.rect(left, top, width, height));
        return widget;
    };
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("centralWidget"));
    setCentralWidget(central);
    resize(m_scale.x(designWidth), m_scale.y(designHeight));

    // The row of mode box, date boxes and time steps.
    m_label1 = place(new QLabel(QStringLiteral("Site_ID"), central), "Label1", 120, 0, 700, 240);
    m_text1 = place(new QLineEdit(central), "Text1", 120, boxTop, 660, boxHeight);
    m_text1->setToolTip(QStringLiteral(
        "The site or datatype_site_id shown. For a typed datatype_site_id, choose a time step or "
        "the dates to enable GO."));
    auto* label2 =
        place(new QLabel(QStringLiteral("Start Date"), central), "Label2", 840, 0, 1140, 240);
    m_text2 = place(new QLineEdit(central), "Text2", 840, boxTop, 1140, boxHeight);
    m_command4 = place(new QPushButton(QStringLiteral("date"), central), "Command4", 2040, boxTop,
                       540, boxHeight);
    auto* label3 =
        place(new QLabel(QStringLiteral("End Date"), central), "Label3", 2640, 0, 1140, 240);
    m_text3 = place(new QLineEdit(central), "Text3", 2640, boxTop, 1140, boxHeight);

    m_frame1 = place(new QGroupBox(central), "Frame1", 3840, 0, 7455, 615);
    auto* steps = new QHBoxLayout(m_frame1);
    steps->setContentsMargins(4, 2, 4, 2);
    steps->setSpacing(2);
    auto* stepGroup = new QButtonGroup(this);
    for (const TimeStepInfo& info : timeSteps()) {
        const int index = timeStepIndex(info.step);
        auto* option = new QRadioButton(QLatin1String(info.caption), m_frame1);
        option->setObjectName(QStringLiteral("Option1_%1").arg(index));
        option->setToolTip(QStringLiteral("GO retrieves %1 values; choosing a time step enables GO")
                               .arg(QLatin1String(info.caption)));
        stepGroup->addButton(option, index);
        steps->addWidget(option);
        m_option1[static_cast<size_t>(index)] = option;
    }
    m_option1[static_cast<size_t>(timeStepIndex(defaultTimeStep))]->setChecked(true);
    fitTopRow({{m_label1, m_text1},
               {label2, m_text2},
               {nullptr, m_command4},
               {label3, m_text3},
               {nullptr, m_frame1}});
    connect(stepGroup, &QButtonGroup::idClicked, this,
            [this](int) { runGuarded([this] { chooseTimeStep(); }); });

    // Own SQL.
    m_check1 = place(new QCheckBox(central), "Check1", 120, 720, 240, 240);
    m_check1->setToolTip(QStringLiteral("Check to enter your own SQL expression"));
    m_check1->installEventFilter(this);
    m_text4 =
        place(new QPlainTextEdit(QStringLiteral("SQL"), central), "Text4", 360, 720, 9975, 525);
    m_text4->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_text4->setEnabled(false);

    // Editing boxes beside the command row.
    m_allowEdit = place(new QCheckBox(QStringLiteral("Allow Edit"), central), "AllowEdit", 60, 1320,
                        1800, 240);
    m_allowEdit->setToolTip(
        QStringLiteral("Allow editing of records, right click on left column for menu"));
    m_autoInsert = place(new QCheckBox(QStringLiteral("Allow Auto Insert"), central), "AutoInsert",
                         60, 1560, 1800, 240);
    m_autoInsert->setToolTip(
        QStringLiteral("Allows quick insertion of data with auto incremented time steps"));
    for (QCheckBox* box : {m_allowEdit, m_autoInsert})
        connect(box, &QCheckBox::clicked, this,
                [this] { runGuarded([this] { applyControlStates(Command::GoAvailable); }); });

    // The command row in front of its frame.
    m_frame2 = place(new QFrame(central), "Frame2", 1900, 1440, 9060, 500);
    m_frame2->setFrameShape(QFrame::StyledPanel);
    m_siteIDbutton = addRowButton("siteIDbutton", QStringLiteral("SITE LIST"),
                                  QStringLiteral("Retrieve list of stations"), 1920, 900);
    m_sdidWdataButton = addRowButton(
        "SDIDwdatabutton", QStringLiteral("PARAMETERS w/data"),
        QStringLiteral("Show parameters for selected station with data for time step selected"),
        2880, 1740);
    m_getButton = addRowButton(
        "Getbutton", QStringLiteral("GO"),
        QStringLiteral("Retrieve selected parameter or execute SQL if checked"), 4680, 900);
    m_viewGraphButton = addRowButton(
        "ViewGraphbutton", QStringLiteral("Graph/Table"),
        QStringLiteral("View retrieved data as graph, table, column or send to Excel Workbook"),
        5640, 1020);
    m_tablesButton = addRowButton("TablesButton", QStringLiteral("DB Tables"),
                                  QStringLiteral("Retrieve list of tables in database"), 6720, 900);
    m_sdidButton = addRowButton("SDIDbutton", QStringLiteral("PARAMETERS /all"),
                                QStringLiteral("Show all parameters regardless if data available"),
                                7680, 1620);
    m_passwordButton = addRowButton("PasswordButton", QStringLiteral("Connection"),
                                    QStringLiteral("Set connection string to database"), 9360, 900);
    m_helpButton = addRowButton("cmdHELP", QStringLiteral("Help"), QString(), 10320, 620);
    addShortcut(m_siteIDbutton, QKeySequence(Qt::CTRL | Qt::Key_L));
    addShortcut(m_getButton, QKeySequence(Qt::Key_F5));
    addShortcut(m_viewGraphButton, QKeySequence(Qt::CTRL | Qt::Key_G));
    m_rowButtons = {m_siteIDbutton, m_sdidWdataButton, m_getButton,      m_viewGraphButton,
                    m_tablesButton, m_sdidButton,      m_passwordButton, m_helpButton};
    for (QPushButton* button : {m_sdidWdataButton, m_getButton, m_sdidButton})
        button->setEnabled(false);
    fitCommandRow();
    // The time steps show whole: the window grows until the resize rule gives their frame room.
    const int lacking =
        m_frame1->sizeHint().width() - (m_scale.x(designWidth - 4060) - m_topRowShift);
    if (lacking > 0)
        resize(width() + lacking, height());

    // The navigator and the Edit Menu button at the left edge, the grid filling the rest.
    m_adodc1 = place(new Navigator(central), "Adodc1", 0, 1920, 555, 1695);
    m_adodc1->hide();
    m_editButton = place(new QPushButton(QStringLiteral("Edit\nMenu"), central), "EditButton", 0,
                         3600, 555, 900);
    m_editButton->setToolTip(
        QStringLiteral("Shows editing options menu.  Same as Right Click on grids left column."));
    m_editButton->setEnabled(false);

    m_grid = place(new QTableView(central), "DataGrid1", 530, 1920, 4815, 2175);
    m_model = new RecordSetModel(this);
    m_grid->setModel(m_model);
    m_grid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                            QAbstractItemView::AnyKeyPressed);
    // Tab moves between the window's controls; in a cell being typed into it goes on to the next.
    m_grid->setTabKeyNavigation(false);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grid->verticalHeader()->setFixedWidth(m_scale.x(345));
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 4);
    m_grid->setCornerButtonEnabled(false);
    m_grid->horizontalHeader()->setHighlightSections(false);
    m_wheel = new GridWheelScroller(m_grid);
    m_adodc1->raise();
    m_editButton->raise();
    connect(this, &MainWindow::resultReplaced, this, &MainWindow::fitColumnsToTexts);
}

void MainWindow::fitColumnsToTexts() {
    // A column narrower than its heading or the cells in view grows to show them whole; the
    // designed widths are the least a column gets.
    QHeaderView* header = m_grid->horizontalHeader();
    const QAbstractItemView* view = m_grid; // the table's own measure, through its public face
    for (int column = 0; column < m_model->columnCount(); ++column) {
        const int needed =
            std::max(header->sectionSizeHint(column), view->sizeHintForColumn(column));
        if (m_grid->columnWidth(column) < needed)
            m_grid->setColumnWidth(column, needed);
    }
}

void MainWindow::fitTopRow(std::initializer_list<std::pair<QWidget*, QWidget*>> row) {
    // A box too narrow for a whole key or date widens, and what follows it in the row moves
    // right by as much; the time-step frame gives the room back at its right end.
    int shift = 0;
    for (const auto& [label, control] : row) {
        for (QWidget* widget : {label, control})
            if (widget)
                widget->move(widget->x() + shift, widget->y());
        if (auto* box = qobject_cast<QLineEdit*>(control)) {
            const int grow =
                std::max(0, lineEditWidthFor(*box, widestTexts(box, m_text1)) - box->width());
            box->resize(box->width() + grow, box->height());
            shift += grow;
        }
    }
    m_topRowShift = shift;
}

QPushButton* MainWindow::addRowButton(const char* name, const QString& caption, const QString& tip,
                                      int left, int width) {
    auto* button = new QPushButton(caption, centralWidget());
    button->setObjectName(QLatin1String(name));
    button->setGeometry(m_scale.rect(left, normalTop, width, normalHeight));
    if (!tip.isEmpty())
        button->setToolTip(tip);
    QPalette palette = button->palette();
    palette.setColor(QPalette::Button, QColor(192, 255, 192));
    button->setPalette(palette);
    button->setAutoFillBackground(true);
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}

void MainWindow::fitCommandRow() {
    // The row was drawn for narrower captions than most fonts give: a caption that does not fit
    // widens its button, and the buttons after it move right by as much.
    const int margin = width() - (m_rowButtons.back()->geometry().right() + 1);
    int shift = 0;
    for (QPushButton* button : m_rowButtons) {
        // The caption, the style's margin and frame, and a pixel of air on either side.
        const int needed = button->fontMetrics().horizontalAdvance(button->text()) +
                           button->style()->pixelMetric(QStyle::PM_ButtonMargin) +
                           2 * button->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) + 2;
        const QRect designed = button->geometry();
        const int width = std::max(designed.width(), needed);
        button->setGeometry(designed.x() + shift, designed.y(), width, designed.height());
        shift += width - designed.width();
    }
    m_frame2->resize(m_frame2->width() + shift, m_frame2->height());
    // A large font may push the row out of the window's designed width; it then grows to show
    // the whole row.
    const int rowEnd = m_rowButtons.back()->geometry().right() + 1;
    if (rowEnd > width())
        resize(rowEnd + margin, height());
}

void MainWindow::setActiveButton(QPushButton* button) {
    for (QPushButton* rowButton : m_rowButtons) {
        const bool active = rowButton == button;
        const QRect now = rowButton->geometry();
        rowButton->setGeometry(now.x(), m_scale.y(active ? activeTop : normalTop), now.width(),
                               m_scale.y(active ? activeHeight : normalHeight));
    }
    m_activeButton = button;
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    applyResizeRule();
}

void MainWindow::applyResizeRule() {
    // In the twips of the layout as drawn: a scaled layout keeps its proportions.
    const QRect outer = frameGeometry();
    const int w = m_scale.twipsOfWidth(outer.width());
    const int h = pixelsToTwips(outer.height());
    if (w < 5001)
        return;
    const int gridWidth = w - 785;
    m_grid->resize(m_scale.x(gridWidth), std::max(m_scale.y(h - 2500), 1));
    m_text4->resize(m_scale.x(gridWidth + 180), m_text4->height());
    m_frame1->resize(m_scale.x(w - 4060) - m_topRowShift, m_frame1->height());
}

} // namespace rp
