#pragma once

#include "formats/readers/ReadOptions.h"
#include "formats/readers/ReadResult.h"

#include <QByteArrayView>
#include <QString>

namespace rp::readers {

enum class Format { Unknown, Rdb, WaterMl, DateValue, UsbrCsv, Csv, Hydat };

// The format of a data file from its first bytes; the file name's extension only breaks ties
// (text that no reader recognises by content).
Format detectFormat(QByteArrayView head, const QString& fileName = {});

QString formatName(Format format);

// Reads text data of any format through the reader detectFormat chooses. HYDAT databases and
// unknown text are refused (HYDAT is read from its file with readHydat).
ReadResult readAny(QByteArrayView bytes, const ReadOptions& options = {},
                   const QString& fileName = {});

} // namespace rp::readers
