#pragma once

#include <QString>
#include <QStringList>

namespace rp {

// Runs the defragmenter rivelpost-contig with its standard output written to a report file and
// waits for it to end. Behind an interface so tests can stand in for the tool.
class ContigRunner {
public:
    virtual ~ContigRunner() = default;
    // Returns false when the tool could not be started.
    virtual bool run(const QStringList& arguments, const QString& reportPath) = 0;
};

// The real tool: found beside the program, in the program's folder or on the PATH.
class ProcessContigRunner : public ContigRunner {
public:
    explicit ProcessContigRunner(QString program = {});
    bool run(const QStringList& arguments, const QString& reportPath) override;

    static inline const char* toolName = "rivelpost-contig";
    // The tool's path, or an empty text when it is nowhere to be found.
    static QString locate();

private:
    QString m_program;
};

} // namespace rp
