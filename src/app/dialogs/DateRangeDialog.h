#pragma once

#include "core/hdb/DatePresets.h"

#include <QDate>
#include <QDialog>
#include <array>
#include <functional>

class QComboBox;
class QRadioButton;

namespace rp {

// "Start/End Dates": the start and end date picked as day, month and year, or from common ranges.
// OK writes both dates to the main window (through datesChosen) and hides the dialog; closing it
// from the title bar writes nothing, and the owner then destroys it.
class DateRangeDialog : public QDialog {
    Q_OBJECT
public:
    explicit DateRangeDialog(std::function<QDate()> today, QWidget* parent = nullptr);

    // The lists' contents: days 01..31, the month abbreviations, and 31 years from thisYear down.
    void fillLists(int thisYear);
    // Day, month and year boxes from a date text laid out "dd-mmm-yyyy".
    void setStartText(const QString& dateText);
    void setEndText(const QString& dateText);
    void applyPreset(int index);
    // Start (0..2) and end (3..5) boxes: Combo1..Combo6.
    QComboBox* combo(int index) const { return m_combos[static_cast<size_t>(index)]; }
    bool closedFromTitleBar() const { return m_closedFromTitleBar; }
    // The text a box triple gives: read as a date and written "dd-mmm-yyyy", or as typed when it
    // is not a date.
    static QString dateText(const QString& day, const QString& month, const QString& year);

signals:
    void datesChosen(const QString& start, const QString& end);

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void ok();
    void setBoxes(int first, QDate date);

    std::function<QDate()> m_today;
    std::array<QComboBox*, 6> m_combos{};
    std::array<QRadioButton*, datePresetCount> m_presets{};
    bool m_closedFromTitleBar = false;
};

} // namespace rp
