#include "chart/GraphWindowRunner.h"

namespace rp {

GraphWindowRunner::GraphWindowRunner(QWidget* owner, Vga1Services services,
                                     std::function<int()> valuesPerDay,
                                     std::function<void(int, bool)> stateChanged)
    : m_owner(owner), m_services(std::move(services)), m_valuesPerDay(std::move(valuesPerDay)),
      m_stateChanged(std::move(stateChanged)) {}

void GraphWindowRunner::operator()(const QString& path, bool addSeries) {
    QPointer<vga1>& window = *m_window;
    if (!window) {
        window = new vga1(m_services, m_owner);
        window->setWindowFlag(Qt::Window);
        if (m_stateChanged)
            QObject::connect(
                window, &vga1::chartStateChanged, window,
                [report = m_stateChanged](int count, bool sums) { report(count, sums); });
    }
    window->loadSeriesFile(path, addSeries, m_valuesPerDay ? m_valuesPerDay() : 0);
}

} // namespace rp
