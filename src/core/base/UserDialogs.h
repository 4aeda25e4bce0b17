#pragma once

#include <QString>

class QWidget;

namespace rp {

// The message boxes a window shows, behind an interface so tests can answer them.
class UserDialogs {
public:
    virtual ~UserDialogs() = default;
    // A message with an OK button; returns when the user has read it.
    virtual void message(QWidget* parent, const QString& text) = 0;
};

} // namespace rp
