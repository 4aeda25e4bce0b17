#include "cli/ChartCommand.h"

#include "core/base/Error.h"
#include "core/base/UserDialogs.h"
#include "gui/graph/ChartView.h"
#include "gui/graph/GraphWindow.h"

#include <cstdio>
#include <cstring>

namespace rp {

namespace {

const char* const help =
    "usage: rivelpost-cli chart SERIESFILE [SERIESFILE ...] --out FILE.png|FILE.svg|FILE.pdf\n"
    "                           [--width W] [--height H] [--cumulative] [--log] [--y2]\n"
    "                           [--bar|--area] [--stack]\n"
    "\n"
    "Draws series files as the graph window does: the first starts the chart, later ones are\n"
    "added as further series. The picture is saved as PNG, as SVG for web pages, or as PDF for "
    "print.\n"
    "\n"
    "  --out FILE       the picture to write (.png, .svg or .pdf)\n"
    "  --width W        width in pixels (default 1200)\n"
    "  --height H       height in pixels (default 700)\n"
    "  --cumulative     running sums of each series\n"
    "  --log            logarithmic value axis\n"
    "  --y2             series 2 onward on a second value axis\n"
    "  --bar, --area    bars or areas instead of lines\n"
    "  --stack          stack the series\n"
    "  --help           show this help\n";

int fail(int status, const QString& message) {
    std::fprintf(stderr, "rivelpost-cli chart: %s\n", qPrintable(message));
    return status;
}

// Messages of the window go to standard error: a script has nobody to click OK.
class StderrDialogs : public UserDialogs {
public:
    void message(QWidget*, const QString& text) override {
        std::fprintf(stderr, "rivelpost-cli chart: %s\n", qPrintable(text));
    }
};

} // namespace

bool isChartCommand(int argc, char** argv) {
    return argc > 1 && std::strcmp(argv[1], "chart") == 0;
}

int runChartCommand(const QStringList& args) {
    QStringList files;
    QString out;
    int width = 1200;
    int height = 700;
    QStringList options;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == u"--help" || a == u"-h") {
            std::fputs(help, stdout);
            return 0;
        } else if (a == u"--out" || a == u"--width" || a == u"--height") {
            if (i + 1 >= args.size())
                return fail(2, QStringLiteral("%1 needs a value").arg(a));
            const QString& v = args[++i];
            if (a == u"--out") {
                out = v;
                continue;
            }
            bool ok = false;
            const int n = v.toInt(&ok);
            if (!ok || n < 50 || n > 20000)
                return fail(2,
                            QStringLiteral("%1 wants a number of pixels from 50 to 20000").arg(a));
            (a == u"--width" ? width : height) = n;
        } else if (a == u"--cumulative" || a == u"--log" || a == u"--y2" || a == u"--bar" ||
                   a == u"--area" || a == u"--stack") {
            options << a;
        } else if (a.startsWith(u'-') && a.size() > 1) {
            return fail(2, QStringLiteral("unknown option %1 (see --help)").arg(a));
        } else {
            files << a;
        }
    }
    if (files.isEmpty())
        return fail(2, QStringLiteral("no series file given (see --help)"));
    if (out.isEmpty())
        return fail(2, QStringLiteral("no --out file given (see --help)"));
    if (options.contains(QStringLiteral("--bar")) && options.contains(QStringLiteral("--area")))
        return fail(2, QStringLiteral("--bar and --area exclude each other"));
    if (!GraphWindow::isPictureFile(out))
        return fail(2, QStringLiteral("--out must name a .png, .svg or .pdf file"));

    StderrDialogs dialogs;
    GraphWindowServices services;
    services.dialogs = &dialogs;
    services.keepsGeometry = false;
    GraphWindow window(services);
    window.resize(width, height);
    try {
        for (qsizetype i = 0; i < files.size(); ++i)
            window.loadSeriesFile(files[i], i > 0, -1); // unit label spacing from the file
        if (options.contains(QStringLiteral("--cumulative")))
            window.runOption(ChartOption::Cumulative);
        if (options.contains(QStringLiteral("--bar")))
            window.runOption(ChartOption::BarLine);
        if (options.contains(QStringLiteral("--area"))) {
            window.runOption(ChartOption::BarLine);
            window.runOption(ChartOption::BarLine);
        }
        if (options.contains(QStringLiteral("--stack")))
            window.runOption(ChartOption::Stack);
        if (options.contains(QStringLiteral("--log")))
            window.runOption(ChartOption::LogYaxis);
        if (options.contains(QStringLiteral("--y2")))
            window.runOption(ChartOption::Y2Axis);
    } catch (const Error& e) {
        return fail(1, e.message());
    }
    try {
        window.savePicture(out, QSize(width, height));
    } catch (const Error& e) {
        return fail(1, e.message());
    }
    return 0;
}

} // namespace rp
