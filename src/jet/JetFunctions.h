#pragma once

#include "jet/JetDateFunctions.h"
#include "jet/JetFormat.h"
#include "jet/JetNumberFunctions.h"
#include "jet/JetOperators.h"
#include "jet/JetTextFunctions.h"

#include <QString>
#include <QVariant>
#include <span>

namespace rp::jet {

// The Jet functions a backend provides on top of its own SQL, by the names Jet gives them.
struct FunctionInfo {
    const char* name;
    int minArguments;
    int maxArguments;
    bool deterministic; // Now and Date are not
    QVariant (*call)(const QVariantList& arguments);
};

std::span<const FunctionInfo> functions();
// Jet's +, -, ^, \ and Mod, by the names of the functions the translator writes for them.
std::span<const FunctionInfo> operatorFunctions();
// First and Last, the aggregates a backend provides as jet_first and jet_last.
bool isAggregate(QStringView name);
// Case-insensitive; nullptr for a name that is not one of them.
const FunctionInfo* findFunction(QStringView name);
// Calls a function by name. Throws rp::Error for an unknown name, a wrong number of arguments
// and whatever the function rejects.
QVariant call(QStringView name, const QVariantList& arguments);

} // namespace rp::jet
