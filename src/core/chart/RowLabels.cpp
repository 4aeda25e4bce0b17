#include "core/chart/RowLabels.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace rp {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

void RowLabels::append(QByteArrayView line, bool withTime) {
    const int row = size();
    DateText date{};
    std::memcpy(date.data(), line.data(), std::min<qsizetype>(line.size(), date.size()));
    if (m_dates.empty() || m_dates.back().text != date)
        m_dates.push_back({row, date});

    std::uint16_t code = 0;
    if (withTime && line.size() >= 17 && line.sliced(12, 5) != "00:00" && line[12] != '\0') {
        const QByteArrayView t = line.sliced(12, 5);
        if (isDigit(t[0]) && isDigit(t[1]) && t[2] == ':' && isDigit(t[3]) && isDigit(t[4])) {
            code = std::uint16_t(1 + ((t[0] - '0') * 10 + (t[1] - '0')) * 100 + (t[3] - '0') * 10 +
                                 (t[4] - '0'));
        } else {
            TimeText text;
            std::memcpy(text.data(), t.data(), text.size());
            m_oddTimes.emplace_back(row, text);
            code = oddTime;
        }
    }
    m_times.push_back(code);
}

void RowLabels::overlay(RowLabels front) {
    const int n = front.size();
    if (n >= size()) {
        *this = std::move(front);
        return;
    }
    std::copy(front.m_times.begin(), front.m_times.end(), m_times.begin());
    // The date run that row n falls in goes on from there.
    auto from = std::upper_bound(m_dates.begin(), m_dates.end(), n,
                                 [](int row, const DateRun& run) { return row < run.firstRow; });
    --from;
    from->firstRow = n;
    front.m_dates.insert(front.m_dates.end(), from, m_dates.end());
    m_dates = std::move(front.m_dates);
    const auto later = std::find_if(m_oddTimes.begin(), m_oddTimes.end(),
                                    [n](const auto& odd) { return odd.first >= n; });
    front.m_oddTimes.insert(front.m_oddTimes.end(), later, m_oddTimes.end());
    m_oddTimes = std::move(front.m_oddTimes);
}

QString RowLabels::date(int row) const {
    const auto run = std::upper_bound(m_dates.begin(), m_dates.end(), row,
                                      [](int r, const DateRun& d) { return r < d.firstRow; });
    const DateText& text = std::prev(run)->text;
    return QString::fromLatin1(text.data(), qsizetype(strnlen(text.data(), text.size())));
}

QString RowLabels::time(int row) const {
    const std::uint16_t code = m_times[row];
    if (code == 0)
        return {};
    if (code == oddTime) {
        const auto odd =
            std::lower_bound(m_oddTimes.begin(), m_oddTimes.end(), row,
                             [](const std::pair<int, TimeText>& o, int r) { return o.first < r; });
        return QString::fromLatin1(odd->second.data(), odd->second.size());
    }
    const int hhmm = code - 1;
    return QStringLiteral("%1:%2")
        .arg(hhmm / 100, 2, 10, QLatin1Char('0'))
        .arg(hhmm % 100, 2, 10, QLatin1Char('0'));
}

bool RowLabels::spansYears() const {
    const auto dated = [](const DateRun& run) { return run.text[0] != '\0'; };
    const auto year = [](const DateRun& run) { return std::string_view(run.text.data() + 7, 4); };
    const auto first = std::find_if(m_dates.begin(), m_dates.end(), dated);
    return first != m_dates.end() && std::any_of(first, m_dates.end(), [&](const DateRun& run) {
               return dated(run) && year(run) != year(*first);
           });
}

} // namespace rp
