# The Windows program: its icon and version in the executable, a portable folder (ZIP) and an
# installer (NSIS), both made by CPack from the same installation:
#   dosarium.exe, dosarium-sql.exe, dosarium-arhiva.exe, the Qt and MinGW run-time libraries,
#   platforms/ and styles/ plugins, CITESTE.txt
# The program keeps Data, TEMP and TMPSQL beside dosarium.exe, so the installer puts it in a
# folder the office's users may write (C:\Dosarium), never under Program Files.
enable_language(RC)
# Installing (and so packaging) takes only what is built: the tests are not built for a package.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set_target_properties(dosarium PROPERTIES WIN32_EXECUTABLE ON)

set(_icons ${CMAKE_BINARY_DIR}/icons)
add_custom_command(OUTPUT ${_icons}/dosarium.ico
    COMMAND dosarium-icon ${_icons}
    DEPENDS dosarium-icon
    COMMENT "Drawing the program's icon")
file(WRITE ${CMAKE_BINARY_DIR}/dosarium.rc.in
    "IDI_ICON1 ICON \"${_icons}/dosarium.ico\"\n")
configure_file(${CMAKE_BINARY_DIR}/dosarium.rc.in ${CMAKE_BINARY_DIR}/dosarium.rc COPYONLY)
add_custom_target(dosarium_icon_file DEPENDS ${_icons}/dosarium.ico)
add_dependencies(dosarium dosarium_icon_file)
target_sources(dosarium PRIVATE ${CMAKE_BINARY_DIR}/dosarium.rc)

install(TARGETS dosarium dosarium-sql dosarium-arhiva RUNTIME DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/windows/CITESTE.txt DESTINATION .)

# The run-time libraries beside the executables, the plugins in their folders.
get_target_property(_qtcore Qt6::Core IMPORTED_LOCATION_RELEASE)
get_filename_component(_qtbin ${_qtcore} DIRECTORY)
get_filename_component(_qtroot ${_qtbin} DIRECTORY)
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-libgcc-file-name
    OUTPUT_VARIABLE _libgcc OUTPUT_STRIP_TRAILING_WHITESPACE)
get_filename_component(_gccbin ${_libgcc} DIRECTORY)
find_file(DOSARIUM_WINPTHREAD libwinpthread-1.dll
    PATHS /usr/x86_64-w64-mingw32/lib NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)
install(FILES
    ${_qtbin}/Qt6Core.dll ${_qtbin}/Qt6Gui.dll ${_qtbin}/Qt6Widgets.dll ${_qtbin}/Qt6Network.dll
    ${_gccbin}/libstdc++-6.dll ${_gccbin}/libgcc_s_seh-1.dll ${DOSARIUM_WINPTHREAD}
    DESTINATION .)
# MinGW's run-time libraries come with their symbol tables (libstdc++ 23 MB of them); the
# Windows loader reads only their export tables, so the packages carry them stripped.
foreach(_dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    install(CODE "execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-unneeded
        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${_dll}\" COMMAND_ERROR_IS_FATAL ANY)")
endforeach()
install(FILES ${_qtroot}/plugins/platforms/qwindows.dll DESTINATION platforms)
install(FILES ${_qtroot}/plugins/styles/qmodernwindowsstyle.dll DESTINATION styles)
install(FILES ${_qtroot}/plugins/imageformats/qico.dll ${_qtroot}/plugins/imageformats/qjpeg.dll
    ${_qtroot}/plugins/imageformats/qgif.dll DESTINATION imageformats)

set(CPACK_GENERATOR ZIP NSIS)
set(CPACK_PACKAGE_NAME Dosarium)
set(CPACK_PACKAGE_VENDOR "Dosarium")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Arhivare si evidenta documentelor scanate")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_INSTALL_DIRECTORY Dosarium)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Dosarium)
set(CPACK_PACKAGE_EXECUTABLES dosarium Dosarium)
set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/packaging/windows/CPackNames.cmake)
set(CPACK_NSIS_INSTALL_ROOT "C:")
set(CPACK_NSIS_DISPLAY_NAME Dosarium)
set(CPACK_NSIS_PACKAGE_NAME Dosarium)
set(CPACK_NSIS_MUI_ICON ${_icons}/dosarium.ico)
set(CPACK_NSIS_MUI_UNIICON ${_icons}/dosarium.ico)
set(CPACK_NSIS_INSTALLED_ICON_NAME dosarium.exe)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
# A 64-bit installer for the 64-bit program: it writes the 64-bit view of the registry.
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
# The desktop shortcut; the Start-menu one comes from CPACK_PACKAGE_EXECUTABLES. The uninstaller
# removes only the files it installed: Data, TEMP and TMPSQL stay.
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS
    "CreateShortCut '$DESKTOP\\\\Dosarium.lnk' '$INSTDIR\\\\dosarium.exe' '' '$INSTDIR\\\\dosarium.exe' 0")
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS "Delete '$DESKTOP\\\\Dosarium.lnk'")
include(CPack)
