#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <QVariantMap>

namespace rp {

// Window geometries kept across runs in "Rivelpost_windows.ini" in the program folder, beside
// the settings file (whose two lines stay as they are).
class WindowGeometry {
public:
    // The geometry saved for the window, or an empty array when none is.
    static QByteArray load(const QString& window);
    // Saves the geometry; throws rp::Error when the file cannot be written.
    static void save(const QString& window, const QByteArray& geometry);
    // Another value the window keeps there ("geometry" is the geometry); invalid when none is.
    static QVariant value(const QString& window, const QString& name);
    // Saves the values by name together; throws rp::Error when the file cannot be written.
    static void save(const QString& window, const QVariantMap& values);
    static QString filePath();

    static inline const char* fileName = "Rivelpost_windows.ini";
};

} // namespace rp
