#include "app/dialogs/DateRangeDialog.h"

#include "core/base/JetDate.h"
#include "core/base/TimeStep.h"
#include "core/hdb/DatePresets.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace rp {

DateRangeDialog::DateRangeDialog(std::function<QDate()> today, QWidget* parent)
    : QDialog(parent), m_today(std::move(today)) {
    setObjectName(QStringLiteral("DateForm"));
    setWindowTitle(QStringLiteral("Start/End Dates"));
    if (!m_today)
        m_today = [] { return QDate::currentDate(); };

    auto* layout = new QGridLayout(this);
    const auto addLabel = [&](const char* name, const QString& text, int row) {
        auto* label = new QLabel(text, this);
        label->setObjectName(QLatin1String(name));
        layout->addWidget(label, row, 0, 1, 3);
    };
    addLabel("Label1", QStringLiteral("START DATE"), 0);
    addLabel("Label2", QStringLiteral("END DATE"), 2);
    const std::array<const char*, 6> designTexts{"01", "Jan", "2001", "01", "Dec", "2001"};
    for (int i = 0; i < 6; ++i) {
        auto* combo = new QComboBox(this);
        combo->setObjectName(QStringLiteral("Combo%1").arg(i + 1));
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setEditText(QLatin1String(designTexts[static_cast<size_t>(i)]));
        combo->setMinimumContentsLength(i % 3 == 2 ? 4 : 3);
        layout->addWidget(combo, i < 3 ? 1 : 3, i % 3);
        m_combos[static_cast<size_t>(i)] = combo;
    }

    // The common ranges, then the water years in a box of their own; one choice among all.
    auto* presets = new QGroupBox(this);
    auto* presetLayout = new QVBoxLayout(presets);
    auto* waterYears = new QGroupBox(QStringLiteral("Water year"), this);
    waterYears->setObjectName(QStringLiteral("WaterYear"));
    auto* waterYearLayout = new QVBoxLayout(waterYears);
    auto* group = new QButtonGroup(this);
    for (int i = 0; i < datePresetCount; ++i) {
        const bool waterYear = i >= firstWaterYearPreset;
        auto* option = new QRadioButton(datePresetCaption(i), waterYear ? waterYears : presets);
        option->setObjectName(QStringLiteral("Option1_%1").arg(i));
        group->addButton(option, i);
        (waterYear ? waterYearLayout : presetLayout)->addWidget(option);
        m_presets[static_cast<size_t>(i)] = option;
    }
    connect(group, &QButtonGroup::idClicked, this, &DateRangeDialog::applyPreset);
    auto* presetColumn = new QVBoxLayout;
    presetColumn->addWidget(presets);
    presetColumn->addWidget(waterYears);
    layout->addLayout(presetColumn, 0, 3, 5, 1);

    auto* okButton = new QPushButton(QStringLiteral("&OK"), this);
    okButton->setObjectName(QStringLiteral("Command1"));
    okButton->setDefault(true);
    connect(okButton, &QPushButton::clicked, this, &DateRangeDialog::ok);
    layout->addWidget(okButton, 4, 0, 1, 3);

    // A new dialog starts with yesterday and today.
    applyPreset(1);
}

void DateRangeDialog::fillLists(int thisYear) {
    for (int i = 1; i <= 31; ++i) {
        const QString day = QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0'));
        const QString year = QString::number(thisYear + 1 - i);
        for (int c = 0; c < 6; c += 3) {
            const QString dayText = m_combos[static_cast<size_t>(c)]->currentText();
            m_combos[static_cast<size_t>(c)]->addItem(day);
            m_combos[static_cast<size_t>(c)]->setEditText(dayText);
            if (i <= 12) {
                const QString monthText = m_combos[static_cast<size_t>(c + 1)]->currentText();
                m_combos[static_cast<size_t>(c + 1)]->addItem(monthAbbreviation(i));
                m_combos[static_cast<size_t>(c + 1)]->setEditText(monthText);
            }
            const QString yearText = m_combos[static_cast<size_t>(c + 2)]->currentText();
            m_combos[static_cast<size_t>(c + 2)]->addItem(year);
            m_combos[static_cast<size_t>(c + 2)]->setEditText(yearText);
        }
    }
}

void DateRangeDialog::setStartText(const QString& dateText) {
    m_combos[0]->setEditText(dateText.mid(0, 2));
    m_combos[1]->setEditText(dateText.mid(3, 3));
    m_combos[2]->setEditText(dateText.mid(7, 4));
}

void DateRangeDialog::setEndText(const QString& dateText) {
    m_combos[3]->setEditText(dateText.mid(0, 2));
    m_combos[4]->setEditText(dateText.mid(3, 3));
    m_combos[5]->setEditText(dateText.mid(7, 4));
}

void DateRangeDialog::setBoxes(int first, QDate date) {
    m_combos[static_cast<size_t>(first)]->setEditText(
        QStringLiteral("%1").arg(date.day(), 2, 10, QLatin1Char('0')));
    m_combos[static_cast<size_t>(first + 1)]->setEditText(monthAbbreviation(date.month()));
    m_combos[static_cast<size_t>(first + 2)]->setEditText(QString::number(date.year()));
}

void DateRangeDialog::applyPreset(int index) {
    const DateRange range = datePreset(index, m_today());
    setBoxes(0, range.start);
    setBoxes(3, range.end);
}

QString DateRangeDialog::dateText(const QString& day, const QString& month, const QString& year) {
    const QString typed =
        day.trimmed() + QLatin1Char('-') + month.trimmed() + QLatin1Char('-') + year.trimmed();
    const auto date = parseJetDateTime(typed);
    return date ? jetDateText(date->date()) : typed;
}

void DateRangeDialog::ok() {
    const QString start = dateText(m_combos[0]->currentText(), m_combos[1]->currentText(),
                                   m_combos[2]->currentText());
    const QString end = dateText(m_combos[3]->currentText(), m_combos[4]->currentText(),
                                 m_combos[5]->currentText());
    emit datesChosen(start, end);
    accept();
}

void DateRangeDialog::reject() {
    // Escape counts as closing from the title bar: no dates are written.
    m_closedFromTitleBar = true;
    QDialog::reject();
}

void DateRangeDialog::closeEvent(QCloseEvent* event) {
    m_closedFromTitleBar = true;
    QDialog::closeEvent(event);
}

} // namespace rp
