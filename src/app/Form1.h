#pragma once

#include <QMainWindow>

namespace rp {

// The main window.
class Form1 : public QMainWindow {
    Q_OBJECT
public:
    explicit Form1(QWidget* parent = nullptr);
};

} // namespace rp
