#pragma once

#include "chart/vga1.h"

#include <QPointer>
#include <functional>
#include <memory>

namespace rp {

// The GRAPH output of the Graph/Table dialog: makes the graph window on first use (a window of
// its own, owned by `owner`) and draws series files on it, adding them when asked. The window's
// series count and cumulative flag are reported through `stateChanged`.
class GraphWindowRunner {
public:
    GraphWindowRunner(QWidget* owner, Vga1Services services, std::function<int()> valuesPerDay,
                      std::function<void(int seriesCount, bool cumulative)> stateChanged);

    // Throws rp::Error when the series file cannot be drawn.
    void operator()(const QString& path, bool addSeries);
    vga1* window() const { return *m_window; }

private:
    QWidget* m_owner;
    Vga1Services m_services;
    std::function<int()> m_valuesPerDay;
    std::function<void(int, bool)> m_stateChanged;
    // Shared by copies, as the dialog keeps a copy of its services.
    std::shared_ptr<QPointer<vga1>> m_window = std::make_shared<QPointer<vga1>>();
};

} // namespace rp
