# Installation and the Debian package.
#
# The program keeps its data folder "Data" (and its scratch folders) beside its executable, so
# the executable and the two consoles go to the root of the chosen prefix:
#   cmake --install build/release --prefix ~/dosarium   ->  ~/dosarium/dosarium, ~/dosarium/Data
# The package installs to /opt/dosarium with its desktop entry and icons under /usr/share; its
# executables go to /opt/dosarium/bin, which only root writes, while the office group writes
# Data beside it (the program takes the parent of a "bin" folder as its folder).
if(WIN32)
    include(cmake/DosariumWindows.cmake)
    return()
endif()
include(GNUInstallDirs)
option(DOSARIUM_SYSTEM_MENU "Desktop entry and icons under /usr/share (the package's layout)" OFF)

if(DOSARIUM_SYSTEM_MENU)
    set(_bin bin)
    set(_program_in_prefix /bin/dosarium)
else()
    set(_bin .)
    set(_program_in_prefix /dosarium)
endif()
install(TARGETS dosarium dosarium-sql dosarium-arhiva RUNTIME DESTINATION ${_bin})

set(_icons ${CMAKE_BINARY_DIR}/icons)
add_custom_command(OUTPUT ${_icons}/hicolor/256x256/apps/dosarium.png
    COMMAND dosarium-icon ${_icons}
    DEPENDS dosarium-icon
    COMMENT "Drawing the program's icon")
add_custom_target(dosarium_icons ALL DEPENDS ${_icons}/hicolor/256x256/apps/dosarium.png)

if(DOSARIUM_SYSTEM_MENU)
    set(_share /usr/share)
else()
    set(_share ${CMAKE_INSTALL_DATADIR})
endif()
install(DIRECTORY ${_icons}/hicolor DESTINATION ${_share}/icons)
# The desktop entry names the executable where it is installed, known only at install time.
install(CODE "
    set(_program \"\${CMAKE_INSTALL_PREFIX}${_program_in_prefix}\")
    file(READ \"${PROJECT_SOURCE_DIR}/packaging/dosarium.desktop.in\" _entry)
    string(REPLACE \"@DOSARIUM_EXEC@\" \"\${_program}\" _entry \"\${_entry}\")
    file(WRITE \"${CMAKE_BINARY_DIR}/dosarium.desktop\" \"\${_entry}\")
")
install(FILES ${CMAKE_BINARY_DIR}/dosarium.desktop DESTINATION ${_share}/applications)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME dosarium)
set(CPACK_PACKAGE_VENDOR "Dosarium")
set(CPACK_PACKAGE_CONTACT "Dosarium <dosarium@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Arhivare si evidenta documentelor scanate")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /opt/dosarium)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The windows' plain texts are drawn in the system's sans-serif font: on a machine that has
# only the Liberation fonts that resolves to Liberation Mono, whose wide letters run labels into
# their boxes, so the usual sans-serif comes along.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2, fonts-dejavu-core, adduser, qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${PROJECT_SOURCE_DIR}/packaging/postinst ${PROJECT_SOURCE_DIR}/packaging/postrm)
include(CPack)
