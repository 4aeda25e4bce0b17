#pragma once

#include <QString>
#include <stdexcept>

namespace rp {

// The one exception type of the core. Its message is written for the user to read.
class Error : public std::runtime_error {
public:
    explicit Error(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString& message() const noexcept { return m_message; }

private:
    QString m_message;
};

} // namespace rp
