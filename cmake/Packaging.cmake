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
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/rivelpost)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/org.example.rivelpost.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/rivelpost-cli.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME rivelpost-cli)
# The guide's pictures sit one folder above it, in the sources as installed.
file(GLOB rivelpost_guide_pictures ${PROJECT_SOURCE_DIR}/docs/*.png)
install(FILES ${rivelpost_guide_pictures} DESTINATION ${CMAKE_INSTALL_DATADIR}/rivelpost)

# The changelog and the manual pages are gzipped as Debian wants them (-n: no time stamp inside);
# the pages are written in scdoc and turned into roff here.
set(rivelpost_pkg_dir ${PROJECT_BINARY_DIR}/packaging)
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in ${rivelpost_pkg_dir}/changelog @ONLY)
add_custom_command(OUTPUT ${rivelpost_pkg_dir}/changelog.gz
  COMMAND gzip -9n -c changelog > changelog.gz
  DEPENDS ${rivelpost_pkg_dir}/changelog WORKING_DIRECTORY ${rivelpost_pkg_dir} VERBATIM)
set(rivelpost_docs ${rivelpost_pkg_dir}/changelog.gz)
install(FILES ${rivelpost_pkg_dir}/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/rivelpost)
find_program(RIVELPOST_SCDOC scdoc)
if(RIVELPOST_SCDOC)
  foreach(page rivelpost rivelpost-cli rivelpost-contig)
    set(source ${PROJECT_SOURCE_DIR}/docs/man/${page}.1.scd)
    add_custom_command(OUTPUT ${rivelpost_pkg_dir}/${page}.1.gz
      COMMAND sh -c "${RIVELPOST_SCDOC} < '${source}' | gzip -9n > '${page}.1.gz'"
      DEPENDS ${source} WORKING_DIRECTORY ${rivelpost_pkg_dir} VERBATIM)
    list(APPEND rivelpost_docs ${rivelpost_pkg_dir}/${page}.1.gz)
    install(FILES ${rivelpost_pkg_dir}/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endforeach()
else()
  message(WARNING "scdoc not found: the manual pages are not built (apt-get install scdoc)")
endif()
add_custom_target(rivelpost_docs ALL DEPENDS ${rivelpost_docs})

set(CPACK_PACKAGE_NAME rivelpost)
set(CPACK_PACKAGE_VENDOR "The Rivelpost developers")
set(CPACK_PACKAGE_CONTACT "The Rivelpost developers <rivelpost@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "maintain and display a hydrologic time-series database")
# Lines of at most 80 characters, as Debian wants them.
set(CPACK_PACKAGE_DESCRIPTION
    "Rivelpost browses sites and parameters of a hydrologic time-series database\n"
    "(HDB) in SQLite, PostgreSQL, Access files or workbooks, retrieves series into\n"
    "an editable grid and turns them into reports, charts, printouts and\n"
    "spreadsheet workbooks. rivelpost-cli does the same work in batch.")
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
