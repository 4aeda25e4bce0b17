#pragma once

#include <QString>

namespace rp {

// The chart backdrop as line 2 of the settings file gives it.
struct ChartLine {
    enum class Kind { BuiltInPicture, PictureFile, Gradient };
    Kind kind = Kind::BuiltInPicture;
    QString path;       // PictureFile
    quint32 color1 = 0; // Gradient, red in the low byte
    quint32 color2 = 0;

    // Shorter than 4 characters without ";": the built-in picture; longer: a picture file;
    // with ";": two colour numbers.
    static ChartLine parse(const QString& line);
    // " 255 ; 16711680 ": each number with its sign blank before and a blank after.
    static QString gradientText(quint32 color1, quint32 color2);
};

// The chart line of the settings file at `path`: its second line when the file is longer than
// 3 bytes, its first line when shorter, empty when there is no file or no second line.
QString readChartLine(const QString& path);

} // namespace rp
