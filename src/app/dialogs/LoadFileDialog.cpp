#include "app/dialogs/LoadFileDialog.h"

#include "core/base/Error.h"
#include "core/db/Database.h"
#include "core/hdb/DataFile.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace rp {

namespace {

QString targetText(const LoadPlan& plan) {
    QString text = QStringLiteral("%1%2 in %3")
                       .arg(plan.datatypeSiteId)
                       .arg(plan.newParameter ? QStringLiteral(" (new)") : QString())
                       .arg(QLatin1String(timeStepInfo(plan.step).table));
    if (plan.conflicts > 0)
        text += QStringLiteral(", %1 times already held").arg(plan.conflicts);
    return text;
}

} // namespace

LoadFileDialog::LoadFileDialog(std::shared_ptr<Database> database, QWidget* parent,
                               std::function<QString()> chooseFile, Progress progress)
    : QDialog(parent), m_database(std::move(database)), m_chooseFile(std::move(chooseFile)),
      m_progress(std::move(progress)) {
    setObjectName(QStringLiteral("LoadFileDialog"));
    setWindowTitle(QStringLiteral("Load file"));
    auto* layout = new QVBoxLayout(this);

    auto* fileRow = new QHBoxLayout;
    m_file = new QLineEdit(this);
    m_file->setObjectName(QStringLiteral("fileBox"));
    m_file->setReadOnly(true);
    auto* browse = new QPushButton(QStringLiteral("&File\u2026"), this);
    browse->setObjectName(QStringLiteral("fileButton"));
    fileRow->addWidget(m_file);
    fileRow->addWidget(browse);
    layout->addLayout(fileRow);

    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("seriesList"));
    m_list->setHeaderLabels({QStringLiteral("Series"), QStringLiteral("Parameter")});
    m_list->setRootIsDecorated(false);
    m_list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    layout->addWidget(m_list);

    auto* form = new QFormLayout;
    m_dsid = new QLineEdit(this);
    m_dsid->setObjectName(QStringLiteral("dsidBox"));
    m_dsid->setPlaceholderText(QStringLiteral("chosen from the file's site and parameter"));
    form->addRow(QStringLiteral("Into &parameter (datatype_site_id):"), m_dsid);
    m_fileOffset = new QLineEdit(this);
    m_fileOffset->setObjectName(QStringLiteral("fileOffsetBox"));
    m_fileOffset->setPlaceholderText(
        QStringLiteral("the site's standard time (e.g. UTC, -5, EST)"));
    form->addRow(QStringLiteral("&Times without a zone are in:"), m_fileOffset);
    m_siteOffset = new QLineEdit(this);
    m_siteOffset->setObjectName(QStringLiteral("siteOffsetBox"));
    m_siteOffset->setPlaceholderText(QStringLiteral("as the file says (e.g. -5, EST)"));
    form->addRow(QStringLiteral("Site's &standard time:"), m_siteOffset);
    m_conflict = new QComboBox(this);
    m_conflict->setObjectName(QStringLiteral("conflictBox"));
    m_conflict->addItems({QStringLiteral("Refuse the load"),
                          QStringLiteral("Keep the HDB's values"),
                          QStringLiteral("Replace them with the file's")});
    form->addRow(QStringLiteral("Times the HDB &already holds:"), m_conflict);
    layout->addLayout(form);
    m_note = new QLabel(this);
    m_note->setObjectName(QStringLiteral("note"));
    m_note->setWordWrap(true);
    layout->addWidget(m_note);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    QPushButton* loadButton =
        buttons->addButton(QStringLiteral("&Load"), QDialogButtonBox::AcceptRole);
    loadButton->setObjectName(QStringLiteral("loadButton"));
    layout->addWidget(buttons);
    resize(760, 420);

    connect(browse, &QPushButton::clicked, this, [this] {
        const QString path = m_chooseFile
                                 ? m_chooseFile()
                                 : QFileDialog::getOpenFileName(this, QStringLiteral("Load file"));
        if (!path.isEmpty())
            readFile(path);
    });
    connect(m_dsid, &QLineEdit::editingFinished, this, &LoadFileDialog::showPlans);
    // The readers apply the offsets: the file is read again with them.
    for (QLineEdit* offset : {m_fileOffset, m_siteOffset})
        connect(offset, &QLineEdit::editingFinished, this, [this] {
            if (!m_file->text().isEmpty())
                readFile(m_file->text());
        });
    connect(m_list, &QTreeWidget::itemChanged, this, [this] { showPlans(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        try {
            load();
        } catch (const Error& e) {
            m_note->setText(e.message());
        }
    });
}

void LoadFileDialog::readFile(const QString& path) {
    m_file->setText(path);
    m_list->clear();
    m_read = {};
    try {
        m_read = readDataFile(path, readOptions());
    } catch (const Error& e) {
        m_note->setText(e.message());
        return;
    }
    for (readers::Series& s : m_read.series)
        if (s.siteId.trimmed().isEmpty())
            s.siteId = QFileInfo(path).completeBaseName();
    const QSignalBlocker quiet(m_list);
    for (const readers::Series& s : std::as_const(m_read.series)) {
        auto* item = new QTreeWidgetItem(m_list, {seriesSummary(s), QString()});
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, Qt::Checked);
    }
    showPlans();
}

QList<readers::Series> LoadFileDialog::checkedSeries() const {
    QList<readers::Series> series;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i)
        if (m_list->topLevelItem(i)->checkState(0) == Qt::Checked)
            series.append(m_read.series.value(i));
    return series;
}

LoadOptions LoadFileDialog::options() const {
    LoadOptions options;
    const QString key = m_dsid->text().trimmed();
    if (!key.isEmpty()) {
        bool ok = false;
        options.datatypeSiteId = key.toLongLong(&ok);
        if (!ok)
            throw Error(QStringLiteral("The parameter \"%1\" is not a number.").arg(key));
    }
    options.onConflict = OnConflict(m_conflict->currentIndex());
    return options;
}

readers::ReadOptions LoadFileDialog::readOptions() const {
    readers::ReadOptions options;
    const auto offset = [](const QLineEdit* box, const QString& what) -> std::optional<int> {
        const QString text = box->text().trimmed();
        if (text.isEmpty())
            return std::nullopt;
        const std::optional<int> minutes = readers::utcOffsetMinutes(text);
        if (!minutes)
            throw Error(QStringLiteral("%1 \"%2\" is not an offset from UTC such as 0, -5, "
                                       "-05:00 or EST.")
                            .arg(what, text));
        return minutes;
    };
    options.zonelessOffsetMinutes = offset(m_fileOffset, QStringLiteral("The file's time"));
    options.standardOffsetMinutes = offset(m_siteOffset, QStringLiteral("The site's time"));
    return options;
}

void LoadFileDialog::showPlans() {
    QString note;
    if (!m_read.warnings.isEmpty())
        note = QStringLiteral("%1 lines of the file were skipped or questioned; the first: line "
                              "%2, %3")
                   .arg(m_read.warnings.size() + m_read.droppedWarnings)
                   .arg(m_read.warnings.first().line)
                   .arg(m_read.warnings.first().message);
    const QSignalBlocker quiet(m_list);
    try {
        const QList<LoadPlan> plans = planLoad(*m_database, checkedSeries(), options());
        qsizetype next = 0;
        for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
            QTreeWidgetItem* item = m_list->topLevelItem(i);
            item->setText(1, item->checkState(0) == Qt::Checked && next < plans.size()
                                 ? targetText(plans[next++])
                                 : QString());
        }
    } catch (const Error& e) {
        note = e.message();
    }
    m_note->setText(note);
}

void LoadFileDialog::load() {
    const QList<readers::Series> series = checkedSeries();
    if (series.isEmpty())
        throw Error(QStringLiteral("No series is checked."));
    LoadOptions options = this->options();
    options.progress = m_progress;
    m_results = loadSeries(*m_database, series, options);
    accept();
}

} // namespace rp
