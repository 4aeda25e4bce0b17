#include "gui/graph/GraphWindowRunner.h"

namespace rp {

GraphWindowRunner::GraphWindowRunner(QWidget* owner, GraphWindowServices services,
                                     std::function<int()> valuesPerDay,
                                     std::function<void(int, bool)> stateChanged)
    : m_owner(owner), m_services(std::move(services)), m_valuesPerDay(std::move(valuesPerDay)),
      m_stateChanged(std::move(stateChanged)) {}

void GraphWindowRunner::operator()(const QString& path, bool addSeries) {
    QPointer<GraphWindow>& window = *m_window;
    if (!window) {
        window = new GraphWindow(m_services, m_owner);
        window->setWindowFlag(Qt::Window);
        if (m_stateChanged)
            QObject::connect(
                window, &GraphWindow::chartStateChanged, window,
                [report = m_stateChanged](int count, bool sums) { report(count, sums); });
    }
    window->loadSeriesFile(path, addSeries, m_valuesPerDay ? m_valuesPerDay() : 0);
}

} // namespace rp
