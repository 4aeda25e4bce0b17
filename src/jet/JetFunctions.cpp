#include "jet/JetFunctions.h"

#include "core/base/Error.h"

namespace rp::jet {

namespace {

// a[i], or the default when the call leaves the argument out.
QVariant opt(const QVariantList& a, qsizetype i, const QVariant& otherwise) {
    return i < a.size() ? a.at(i) : otherwise;
}

const FunctionInfo table[] = {
    // Dates
    {"Year", 1, 1, true, [](const QVariantList& a) { return year(a[0]); }},
    {"Month", 1, 1, true, [](const QVariantList& a) { return month(a[0]); }},
    {"Day", 1, 1, true, [](const QVariantList& a) { return day(a[0]); }},
    {"Hour", 1, 1, true, [](const QVariantList& a) { return hour(a[0]); }},
    {"Minute", 1, 1, true, [](const QVariantList& a) { return minute(a[0]); }},
    {"Second", 1, 1, true, [](const QVariantList& a) { return second(a[0]); }},
    {"Weekday", 1, 2, true, [](const QVariantList& a) { return weekday(a[0], opt(a, 1, 1)); }},
    {"DateAdd", 3, 3, true, [](const QVariantList& a) { return dateAdd(a[0], a[1], a[2]); }},
    {"DateDiff", 3, 4, true,
     [](const QVariantList& a) { return dateDiff(a[0], a[1], a[2], opt(a, 3, 1)); }},
    {"DatePart", 2, 3, true,
     [](const QVariantList& a) { return datePart(a[0], a[1], opt(a, 2, 1)); }},
    {"DateSerial", 3, 3, true, [](const QVariantList& a) { return dateSerial(a[0], a[1], a[2]); }},
    {"TimeSerial", 3, 3, true, [](const QVariantList& a) { return timeSerial(a[0], a[1], a[2]); }},
    {"DateValue", 1, 1, true, [](const QVariantList& a) { return dateValue(a[0]); }},
    {"Now", 0, 0, false, [](const QVariantList&) { return now(); }},
    {"Date", 0, 0, false, [](const QVariantList&) { return today(); }},
    // Text
    {"Len", 1, 1, true, [](const QVariantList& a) { return len(a[0]); }},
    {"Left", 2, 2, true, [](const QVariantList& a) { return left(a[0], a[1]); }},
    {"Right", 2, 2, true, [](const QVariantList& a) { return right(a[0], a[1]); }},
    {"Mid", 2, 3, true, [](const QVariantList& a) { return mid(a[0], a[1], opt(a, 2, {})); }},
    {"UCase", 1, 1, true, [](const QVariantList& a) { return ucase(a[0]); }},
    {"LCase", 1, 1, true, [](const QVariantList& a) { return lcase(a[0]); }},
    {"Trim", 1, 1, true, [](const QVariantList& a) { return trim(a[0]); }},
    {"LTrim", 1, 1, true, [](const QVariantList& a) { return ltrim(a[0]); }},
    {"RTrim", 1, 1, true, [](const QVariantList& a) { return rtrim(a[0]); }},
    {"InStr", 2, 4, true,
     [](const QVariantList& a) {
         // InStr(text, sought) or InStr(start, text, sought[, compare]).
         return a.size() == 2 ? instr(1, a[0], a[1]) : instr(a[0], a[1], a[2], opt(a, 3, 1));
     }},
    {"Replace", 3, 5, true,
     [](const QVariantList& a) { return replace(a[0], a[1], a[2], opt(a, 3, 1), opt(a, 4, -1)); }},
    {"Space", 1, 1, true, [](const QVariantList& a) { return space(a[0]); }},
    {"String", 2, 2, true, [](const QVariantList& a) { return string(a[0], a[1]); }},
    {"StrComp", 2, 3, true,
     [](const QVariantList& a) { return strComp(a[0], a[1], opt(a, 2, 1)); }},
    {"Format", 1, 2, true, [](const QVariantList& a) { return format(a[0], opt(a, 1, {})); }},
    // Numbers and conversions
    {"Val", 1, 1, true, [](const QVariantList& a) { return val(a[0]); }},
    {"Int", 1, 1, true, [](const QVariantList& a) { return intPart(a[0]); }},
    {"Fix", 1, 1, true, [](const QVariantList& a) { return fix(a[0]); }},
    {"Abs", 1, 1, true, [](const QVariantList& a) { return abs(a[0]); }},
    {"Sgn", 1, 1, true, [](const QVariantList& a) { return sgn(a[0]); }},
    {"Sqr", 1, 1, true, [](const QVariantList& a) { return sqr(a[0]); }},
    {"Round", 1, 2, true, [](const QVariantList& a) { return round(a[0], opt(a, 1, 0)); }},
    {"Str", 1, 1, true, [](const QVariantList& a) { return str(a[0]); }},
    {"CStr", 1, 1, true, [](const QVariantList& a) { return cstr(a[0]); }},
    {"CDbl", 1, 1, true, [](const QVariantList& a) { return cdbl(a[0]); }},
    {"CInt", 1, 1, true, [](const QVariantList& a) { return cint(a[0]); }},
    {"CLng", 1, 1, true, [](const QVariantList& a) { return clng(a[0]); }},
    {"CDate", 1, 1, true, [](const QVariantList& a) { return cdate(a[0]); }},
    {"IIf", 3, 3, true, [](const QVariantList& a) { return iif(a[0], a[1], a[2]); }},
    {"Nz", 1, 2, true,
     [](const QVariantList& a) { return a.size() == 1 ? nz(a[0]) : nz(a[0], a[1]); }},
    {"IsNull", 1, 1, true, [](const QVariantList& a) { return isNull(a[0]); }},
    {"IsNumeric", 1, 1, true, [](const QVariantList& a) { return isNumeric(a[0]); }},
    {"IsDate", 1, 1, true, [](const QVariantList& a) { return isDate(a[0]); }},
};

const FunctionInfo operatorTable[] = {
    {"jet_add", 2, 2, true, [](const QVariantList& a) { return add(a[0], a[1]); }},
    {"jet_subtract", 2, 2, true, [](const QVariantList& a) { return subtract(a[0], a[1]); }},
    {"jet_power", 2, 2, true, [](const QVariantList& a) { return power(a[0], a[1]); }},
    {"jet_intdiv", 2, 2, true, [](const QVariantList& a) { return integerDivide(a[0], a[1]); }},
    {"jet_mod", 2, 2, true, [](const QVariantList& a) { return modulo(a[0], a[1]); }},
};

const char* const aggregateNames[] = {"First", "Last"};

} // namespace

std::span<const FunctionInfo> functions() {
    return table;
}

std::span<const FunctionInfo> operatorFunctions() {
    return operatorTable;
}

bool isAggregate(QStringView name) {
    for (const char* n : aggregateNames)
        if (name.compare(QLatin1String(n), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

const FunctionInfo* findFunction(QStringView name) {
    for (const FunctionInfo& f : table)
        if (name.compare(QLatin1String(f.name), Qt::CaseInsensitive) == 0)
            return &f;
    return nullptr;
}

QVariant call(QStringView name, const QVariantList& arguments) {
    const FunctionInfo* f = findFunction(name);
    if (!f)
        throw Error(QStringLiteral("There is no function %1.").arg(name));
    if (arguments.size() < f->minArguments || arguments.size() > f->maxArguments)
        throw Error(
            QStringLiteral("%1 takes %2 arguments, not %3.")
                .arg(QLatin1String(f->name))
                .arg(f->minArguments == f->maxArguments
                         ? QString::number(f->minArguments)
                         : QStringLiteral("%1 to %2").arg(f->minArguments).arg(f->maxArguments))
                .arg(arguments.size()));
    return f->call(arguments);
}

} // namespace rp::jet
