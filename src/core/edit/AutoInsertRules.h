#pragma once

#include "core/base/TimeStep.h"

#include <QString>
#include <QStringList>

namespace rp {

// The rules of the automatic insertion of time-stepped rows, on the texts of a row.

// The row to insert next, taken from the cell texts of the last record: the same texts, except
// that a last column holding the source mark 34 becomes 5 (a new record never inherits it).
QStringList insertionTemplate(QStringList lastRecord);

// The buffered record advanced by one time step. Element 1 is the date: it moves on by the step
// count in units of the interval code. For the daily extremes (DayMax, DayMin) a row is one day:
// element 1 becomes the next day at midnight, and element 2 moves on by one interval unit when it
// holds a date (a table that keeps the time of the extreme there) and is kept otherwise.
// Throws rp::Error when a date cannot be read or the interval is unknown.
QStringList advancedRecord(QStringList buffer, TimeStep step, const QString& interval,
                           int stepCount);

// How many cells, from the left, are empty: those the insertion fills before it meets the
// first cell the user typed into.
int leadingEmptyCells(const QStringList& rowTexts);

// Whether the grid's columns are those of a series (the caption of column 1 names a date).
bool isDatedLayout(const QString& column1Caption);

} // namespace rp
