#pragma once

#include "app/mainwindow/ContigRunner.h"
#include "core/base/CommandPrompts.h"

#include <QFile>
#include <QList>
#include <QMap>
#include <QStringList>

namespace rp::test {

// Answers the Connection and Help questions from lists and remembers what was asked.
class ScriptedPrompts : public CommandPrompts {
public:
    QString askConnectionString(const QString& title, const QString& prompt,
                                const QString& defaultAnswer, const QStringList& recent) override {
        asked.append(QStringLiteral("input %1 | %2 | %3").arg(title, prompt, defaultAnswer));
        recentShown = recent;
        return answer;
    }
    bool askYesNo(const QString& title, const QString& text) override {
        asked.append(QStringLiteral("question %1 | %2").arg(title, text));
        return yesNo.isEmpty() ? false : yesNo.takeFirst();
    }
    QString askNewFile(const QString& title, const QString& suggestedPath) override {
        asked.append(QStringLiteral("new file %1 | %2").arg(title, suggestedPath));
        return newFile;
    }
    void message(const QString& title, const QString& text) override {
        asked.append(QStringLiteral("message %1 | %2").arg(title, text));
    }
    void offerText(const QString& title, const QString& prompt, const QString& text) override {
        asked.append(QStringLiteral("offer %1 | %2 | %3").arg(title, prompt, text));
    }

    QString answer;    // the connection input's answer; empty is Cancel
    QList<bool> yesNo; // answers to the questions, in order; No when used up
    QString newFile;   // the file dialog's answer; empty is Cancel
    QStringList asked; // every box shown, in order
    QStringList recentShown;
};

// What the Connection command did to the main window.
class RecordingView : public ConnectionView {
public:
    QString caption() const override { return m_caption; }
    void setCaption(const QString& caption) override {
        m_caption = caption;
        captions.append(caption);
    }
    void setConnectionString(const QString& connectionString) override {
        connections.append(connectionString);
    }
    void setBusy(bool busy) override { events.append(busy ? "busy" : "idle"); }
    void releaseDatabase() override { events.append("release"); }
    void finish() override { events.append("finish"); }

    QString m_caption = QStringLiteral("Rivelpos 0.1.0");
    QStringList captions;
    QStringList connections;
    QStringList events;
};

// Stands in for rivelpost-contig: writes the report given for "-a" (analysis) or for a
// defragmenting run, and remembers the calls.
class ScriptedContig : public ContigRunner {
public:
    bool run(const QStringList& arguments, const QString& reportPath) override {
        calls.append(arguments.join(QLatin1Char(' ')));
        if (onRun)
            onRun(arguments);
        if (!installed)
            return false;
        QFile report(reportPath);
        if (report.open(QIODevice::WriteOnly))
            report.write((arguments.value(0) == QLatin1String("-a") ? analysis : defragmenting)
                             .toLocal8Bit());
        return true;
    }
    bool installed = true;
    QString analysis;
    QString defragmenting;
    QStringList calls;
    std::function<void(const QStringList&)> onRun;
};

} // namespace rp::test
