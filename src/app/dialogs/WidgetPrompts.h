#pragma once

#include "core/base/CommandPrompts.h"

class QWidget;

namespace rp {

// CommandPrompts shown as the desktop's dialogs over a window.
class WidgetPrompts : public CommandPrompts {
public:
    explicit WidgetPrompts(QWidget* parent) : m_parent(parent) {}

    QString askConnectionString(const QString& title, const QString& prompt,
                                const QString& defaultAnswer, const QStringList& recent) override;
    bool askYesNo(const QString& title, const QString& text) override;
    QString askNewFile(const QString& title, const QString& suggestedPath) override;
    void message(const QString& title, const QString& text) override;
    void offerText(const QString& title, const QString& prompt, const QString& text) override;

private:
    QWidget* m_parent;
};

} // namespace rp
