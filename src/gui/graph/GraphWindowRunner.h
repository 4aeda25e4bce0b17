#pragma once

#include "gui/graph/GraphWindow.h"

#include <QPointer>
#include <functional>
#include <memory>

namespace rp {

// The GRAPH output of the Graph/Table dialog: makes the graph window on first use (a window of
// its own, owned by `owner`) and draws series files on it, adding them when asked. The window's
// series count and cumulative flag are reported through `stateChanged`.
class GraphWindowRunner {
public:
    GraphWindowRunner(QWidget* owner, GraphWindowServices services,
                      std::function<int()> valuesPerDay,
                      std::function<void(int seriesCount, bool cumulative)> stateChanged);

    // Throws rp::Error when the series file cannot be drawn.
    void operator()(const QString& path, bool addSeries);
    GraphWindow* window() const { return *m_window; }

private:
    QWidget* m_owner;
    GraphWindowServices m_services;
    std::function<int()> m_valuesPerDay;
    std::function<void(int, bool)> m_stateChanged;
    // Shared by copies, as the dialog keeps a copy of its services.
    std::shared_ptr<QPointer<GraphWindow>> m_window = std::make_shared<QPointer<GraphWindow>>();
};

} // namespace rp
