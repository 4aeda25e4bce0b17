#pragma once

#include <QString>

namespace rp {

// Where the program keeps its files: the executable's folder when it is writable (a portable
// install), otherwise the per-user data folder.
class AppPaths {
public:
    static QString programFolder();
    // The program folder for an executable in `executableFolder`. An installed program (bin/
    // beside share/rivelpost/) always uses the per-user data folder: as root its folder is
    // writable too, and user files do not belong in /usr/bin.
    static QString programFolderFor(const QString& executableFolder);
    // Tests and tools point the program at another folder; an empty text restores the default.
    static void setProgramFolder(const QString& folder);

    // The settings file "Rivelpost_setup.txt", matched without regard to the case of its name.
    // When none exists, the path it would be written to.
    static QString settingsFilePath();
    static bool settingsFileExists();
    // The series file "lastout.txt" in the program folder.
    static QString seriesFilePath();

    static inline const char* settingsFileName = "Rivelpost_setup.txt";
    static inline const char* seriesFileName = "lastout.txt";
};

} // namespace rp
