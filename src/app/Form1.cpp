#include "Form1.h"

namespace rp {

Form1::Form1(QWidget* parent) : QMainWindow(parent) { setObjectName(QStringLiteral("Form1")); }

} // namespace rp
