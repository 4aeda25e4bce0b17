#pragma once

#include <QDateTime>
#include <QString>
#include <QVariant>
#include <optional>

#include "core/base/ValueText.h"

namespace rp::jet {

// How the Jet functions read and write values. Dates travel as "YYYY-MM-DD HH:MM:SS" text, the
// way date_time is stored, so results compare and sort with stored values.

enum class Rounding { HalfEven, HalfAwayFromZero };

bool isNumber(const QVariant& value);
// A whole-number value (not a real, not text).
bool isWhole(const QVariant& value);
// Numeric text: optional blanks and sign, digits with an optional decimal point and exponent.
std::optional<double> numberFromText(QStringView text);
// A number from a number or numeric text; throws rp::Error naming the function otherwise.
double toNumber(const QVariant& value, QStringView function);
// A whole number rounded half to even, as Jet rounds arguments that must be whole.
qint64 toWholeNumber(const QVariant& value, QStringView function);
// A date from date-time values, ISO text or Jet date text; nothing for anything else.
std::optional<QDateTime> toDateTime(const QVariant& value);
QDateTime toDateTime(const QVariant& value, QStringView function);
// A date as a backend hands one over: a date-time value or ISO date-time text.
std::optional<QDateTime> storedDate(const QVariant& value);
// Days from 30-Dec-1899, the time of day the fraction (away from zero before day zero).
double dateSerialNumber(const QDateTime& dateTime);
// A Jet truth value: numbers other than 0, "True"; Null is false.
bool toTruth(const QVariant& value, QStringView function);

QVariant dateResult(const QDateTime& dateTime);
// The text of any value: numbers by numberText, dates as ISO text.
QString valueText(const QVariant& value);

// Rounds to `places` decimals, deciding on the decimal value a person reads rather than the
// binary expansion: 0.125 is a tie, so 0.12 half to even and 0.13 half away from zero.
double roundDecimal(double value, int places, Rounding rounding);

[[noreturn]] void invalidArgument(QStringView function, const QString& why);

} // namespace rp::jet
