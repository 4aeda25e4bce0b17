#pragma once

#include "core/base/UserDialogs.h"

namespace rp {

// UserDialogs shown as the desktop's message boxes.
class MessageBoxDialogs : public UserDialogs {
public:
    void message(QWidget* parent, const QString& text) override;
    // The one instance windows use unless they are given another.
    static MessageBoxDialogs& instance();
};

} // namespace rp
