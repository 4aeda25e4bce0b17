#include "core/reports/WindDirection.h"

#include "core/base/Error.h"
#include "core/reports/Arctan2.h"
#include "core/reports/NumberFormat.h"

#include <cmath>

namespace rp {

namespace {

const QString& labelText() {
    static const QString text = QStringLiteral(
        " North NNE   NE    ENE   East  ESE   SE    SSE   South SSW   SW    WSW   West  WNW   NW "
        "   NNW   North");
    return text;
}

// Halves to even, as the label window's start position has always been rounded.
long roundHalfEven(double v) {
    return std::lrint(v);
}

} // namespace

QString compassLabel(double value) {
    const QString& text = labelText();
    const long start = roundHalfEven(value * 24 + 1);
    if (start < 1 || start > text.size())
        return QString();
    return text.mid(start - 1, 6).trimmed();
}

int compassIndex(double value) {
    const double w = value == 0 ? 4.0 : value;
    return int(roundHalfEven(w * 4));
}

int modeIndex(const std::array<int, 17>& counts, int previous) {
    int best = 0;
    int index = previous;
    for (int i = 0; i < int(counts.size()); ++i) {
        if (counts[i] > best) {
            best = counts[i];
            index = i;
        }
    }
    return index;
}

DirectionTable::DirectionTable(int columns) : m_columns(std::size_t(columns + 1)) {}

void DirectionTable::add(int column, double value) {
    if (!(value >= 0 && value <= 4))
        throw Error(QStringLiteral("The wind direction %1 is outside 0 to 4.").arg(value));
    Column& c = m_columns.at(std::size_t(column));
    ++c.counts[std::size_t(compassIndex(value))];
    const double angle = value * directionTurn / 4;
    c.sines += std::sin(angle);
    c.cosines += std::cos(angle);
}

void DirectionTable::clear() {
    for (Column& c : m_columns)
        c = Column{};
}

bool DirectionTable::isNull(int column) const {
    const Column& c = m_columns.at(std::size_t(column));
    return c.sines == 0 && c.cosines == 0;
}

double DirectionTable::vectorMean(int column) const {
    const Column& c = m_columns.at(std::size_t(column));
    double u = arctan2(c.cosines, c.sines) * 4 / directionTurn;
    if (u <= 0)
        u += 4;
    return leadingNumber(formatNumber(u * 4, u"#0")) / 4;
}

} // namespace rp
