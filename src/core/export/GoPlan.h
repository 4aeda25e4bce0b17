#pragma once

#include "core/reports/ReportOptions.h"

#include <QString>

namespace rp {

// The outputs of the Graph/Table dialog's option group, numbered as its buttons.
enum class Output { Save = 0, Graph = 1, View = 2, Print = 3, Update = 4 };

// What the user chose in the dialog when pressing Go.
struct GoChoices {
    Output output = Output::Graph;
    bool excel = false; // "Excel"
    bool table = false; // "Table"
};

// What Go does for those choices.
struct GoPlan {
    bool table = false;       // write the table report ("Table" unticked for GRAPH, UPDATE)
    bool spreadsheet = false; // a spreadsheet is wanted ("Excel" or UPDATE)
    bool askFileName = false; // SAVE without a spreadsheet asks for the copy's name
    bool exportSpreadsheet = false;
    bool graph = false;
    bool view = false;
    bool print = false;
};

GoPlan planGo(const GoChoices& choices);

// The file Go works on: the series file itself, or a copy of it under the chosen name (an empty
// name keeps the series file). The copy replaces any file of that name whole. Throws rp::Error.
QString prepareWorkingFile(const QString& seriesFile, const QString& chosenName);

// Writes the table report of a series file to the report file (truncated first), then lets the
// aggregate sink of `options` write what it kept; returns what the sink has to tell. Throws
// rp::Error; the report then holds what was written before the failure, the database nothing.
QString writeReportFile(const QString& workingFile, const QString& reportFile,
                        const ReportOptions& options);

} // namespace rp
