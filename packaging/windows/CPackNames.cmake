# The names of the two Windows packages: Dosarium-<version>-win64.zip and
# Dosarium-<version>-setup.exe.
if(CPACK_GENERATOR STREQUAL "ZIP")
    set(CPACK_PACKAGE_FILE_NAME "Dosarium-${CPACK_PACKAGE_VERSION}-win64")
elseif(CPACK_GENERATOR STREQUAL "NSIS")
    set(CPACK_PACKAGE_FILE_NAME "Dosarium-${CPACK_PACKAGE_VERSION}-setup")
endif()
