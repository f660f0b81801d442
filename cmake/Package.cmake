# The Debian package (cpack, see scripts/package): the program, its tools and
# data installed under /usr as a desktop program, with its menu entry, file
# type, icons and AppStream description. Only the "package" component goes
# in; the "portable" one is the dist/ copy.
if(RIVOLET_CORE_ONLY)
  return()
endif()

set(RIVOLET_PACKAGE_VERSION 0.51)  # the version the About box shows
set(resources ${PROJECT_SOURCE_DIR}/resources)
set(desktop ${resources}/desktop)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
    WORLD_READ WORLD_EXECUTE)

install(TARGETS rivolet feedcat feedlist RUNTIME DESTINATION bin
        COMPONENT package)
# Read-only data, found by the program relative to its executable.
install(FILES ${resources}/help.html ${resources}/pomoc.html
              ${resources}/rss_pl.txt
        DESTINATION share/rivolet COMPONENT package)
install(DIRECTORY ${resources}/languages DESTINATION share/rivolet
        COMPONENT package PATTERN ".keep" EXCLUDE)
install(FILES ${desktop}/rivolet.desktop DESTINATION share/applications
        COMPONENT package)
install(FILES ${desktop}/rivolet.xml DESTINATION share/mime/packages
        COMPONENT package)
install(FILES ${desktop}/local.rivolet.rivolet.metainfo.xml
        DESTINATION share/metainfo COMPONENT package)
# The PNGs are rendered from the SVG (rsvg-convert -w N -h N).
foreach(size 16 32 48 64 128 256)
  install(FILES ${resources}/icons/rivolet-${size}.png
          DESTINATION share/icons/hicolor/${size}x${size}/apps
          RENAME rivolet.png COMPONENT package)
endforeach()
install(FILES ${resources}/icons/rivolet.svg
        DESTINATION share/icons/hicolor/scalable/apps COMPONENT package)

# What a Debian package carries in its documentation folder.
set(doc_build ${CMAKE_BINARY_DIR}/package-doc)
file(MAKE_DIRECTORY ${doc_build})
execute_process(COMMAND gzip -9nc ${desktop}/changelog
                OUTPUT_FILE ${doc_build}/changelog.gz)
install(FILES ${desktop}/copyright ${doc_build}/changelog.gz
        DESTINATION share/doc/rivolet COMPONENT package)
# A manual page for each program, compressed as Debian keeps them.
foreach(page rivolet feedcat feedlist)
  execute_process(COMMAND gzip -9nc ${resources}/man/${page}.1
                  OUTPUT_FILE ${doc_build}/${page}.1.gz)
  install(FILES ${doc_build}/${page}.1.gz DESTINATION share/man/man1
          COMPONENT package)
endforeach()

# Packaging needs only what the package holds built, not the tests.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME rivolet)
set(CPACK_PACKAGE_VERSION ${RIVOLET_PACKAGE_VERSION})
set(CPACK_PACKAGE_CONTACT "Rivolet developers <rivolet@users.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop reader for RSS news feeds")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Rivolet keeps a list of subscribed feeds, opens one from a menu grouped by\n"
  "category and shows its items one at a time; a link opens the whole\n"
  "article in the web browser. It can update the feeds in the background\n"
  "and show the newest items in a notification window.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL package)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt finds its X11 platform plugin at run time, and the program loads
# OpenSSL at its first secure connection; nothing links either. Links and
# help pages open through xdg-open. The windows are laid out for Tahoma,
# which the wine fonts bring, and fall back on DejaVu Sans.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libssl3, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wine, fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
