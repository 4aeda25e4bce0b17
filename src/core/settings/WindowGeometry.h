#pragma once

#include <QByteArray>
#include <QString>

namespace rp {

// Window geometries kept across runs in "Rivelpost_windows.ini" in the program folder, beside
// the settings file (whose two lines stay as they are).
class WindowGeometry {
public:
    // The geometry saved for the window, or an empty array when none is.
    static QByteArray load(const QString& window);
    // Saves the geometry; throws rp::Error when the file cannot be written.
    static void save(const QString& window, const QByteArray& geometry);
    static QString filePath();

    static inline const char* fileName = "Rivelpost_windows.ini";
};

} // namespace rp
