# Installation into the usual places (GNUInstallDirs) and a Debian package built by CPack:
#   cmake --install build                     # bin/, share/applications, share/icons, share/rivelpost
#   (cd build && cpack -G DEB)                # rivelpost_<version>_<arch>.deb
# The executables come from the folders that build them; the user guide from src/app.
include(GNUInstallDirs)

install(FILES ${PROJECT_SOURCE_DIR}/packaging/rivelpost.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/rivelpost.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/rivelpost)

set(CPACK_PACKAGE_NAME rivelpost)
set(CPACK_PACKAGE_VENDOR "The Rivelpost developers")
set(CPACK_PACKAGE_CONTACT "The Rivelpost developers <rivelpost@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "maintain and display a hydrologic time-series database")
set(CPACK_PACKAGE_DESCRIPTION
    "Rivelpost browses sites and parameters of a hydrologic time-series database (HDB) in SQLite "
    "or PostgreSQL, retrieves series into an editable grid and turns them into reports, charts, "
    "printouts and spreadsheet workbooks.")
set(CPACK_PACKAGE_INSTALL_DIRECTORY rivelpost)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://rivelpost.example.org")

# Libraries the executables link come from dpkg-shlibdeps; what is loaded at run time (the Qt SQL
# drivers, the SVG icon plugin) and the metric-compatible fonts it cannot see are named here.
set(rivelpost_runtime_plugins "libqt6sql6-sqlite, libqt6sql6-psql, libqt6svg6, fonts-liberation")
find_program(RIVELPOST_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(RIVELPOST_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "${rivelpost_runtime_plugins}")
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS
      "libqt6core6, libqt6gui6, libqt6widgets6, libqt6charts6, libqt6datavisualization6, "
      "libqt6sql6, libqt6printsupport6, libxlsxwriter4, libquazip1-qt6-1, libfreexl1, libmdb3, "
      "libpq5, libsqlite3-0, ${rivelpost_runtime_plugins}")
endif()
string(REPLACE ";" "" CPACK_DEBIAN_PACKAGE_DEPENDS "${CPACK_DEBIAN_PACKAGE_DEPENDS}")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")

set(CPACK_GENERATOR DEB)
include(CPack)
