# dosarium_add_test(<name> SOURCES ... LIBS ...)
# Builds one GoogleTest program and registers its cases with ctest (the Windows build registers
# the program whole, see below). Every case runs with the
# offscreen platform; the sample tables written by other software and the project's own corpus
# are found through compiled-in folders (DOSARIUM_SAMPLES and DOSARIUM_TEST_DATA override them).
set(_samples "${PROJECT_SOURCE_DIR}/../shared/dbf-samples")
if(NOT EXISTS "${_samples}" AND EXISTS "/work/shared/dbf-samples")
    set(_samples "/work/shared/dbf-samples")
endif()
set(DOSARIUM_SAMPLES_DIR "${_samples}" CACHE PATH
    "Folder with dBase tables written by other software")

# Test sources that need Linux itself. The Windows build leaves them out, each for the reason
# given, and lists them with ctest as disabled tests named "<file>.needs_linux".
set(_needs_linux
    "store/FullDiskTableTest.cpp" "a full disk is made with a file-size limit (setrlimit)"
    "store/ReplacementFileTest.cpp" "file-size limits, permission bits and processes made by fork"
    "store/SharedTableTest.cpp" "writers are processes made by fork and killed mid-write"
    "store/RowChangeTest.cpp" "writers are processes made by fork"
    "store/ChangeTrailProcessTest.cpp" "the other writer is a process made by fork"
    "access/UserFileTest.cpp" "a full disk is made with a file-size limit (setrlimit)"
    "app/ActivityLogTest.cpp" "writers are processes made by fork"
    "app/SettingsFileTest.cpp" "file-size limits and processes made by fork"
    "app/DataTablesTest.cpp" "permission bits and descriptors of Linux"
    "app/StartupWindowTest.cpp" "symbolic links, which Windows gives only to administrators"
    "archive/CodedCopyTest.cpp" "file-size limits and permission bits"
    "program/SingleInstanceTest.cpp" "a second copy made by fork, and the session's socket folder"
    "register/ActJournalTest.cpp" "file-size limits and processes made by fork"
    "tools/SharedFolderInputTest.cpp" "symbolic links, named pipes and permission bits")

function(dosarium_add_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    if(WIN32)
        file(RELATIVE_PATH _folder ${PROJECT_SOURCE_DIR}/tests ${CMAKE_CURRENT_SOURCE_DIR})
        set(_kept)
        foreach(_source IN LISTS ARG_SOURCES)
            list(FIND _needs_linux "${_folder}/${_source}" _at)
            if(_at LESS 0)
                list(APPEND _kept ${_source})
                continue()
            endif()
            math(EXPR _at "${_at} + 1")
            list(GET _needs_linux ${_at} _why)
            get_filename_component(_stem ${_source} NAME_WE)
            add_test(NAME ${_stem}.needs_linux COMMAND ${CMAKE_COMMAND} -E echo "${_why}")
            set_tests_properties(${_stem}.needs_linux PROPERTIES DISABLED TRUE)
            message(STATUS "Left out of the Windows tests: ${_folder}/${_source}: ${_why}")
        endforeach()
        set(ARG_SOURCES ${_kept})
        set(_code ${_kept})
        list(FILTER _code INCLUDE REGEX "\\.cpp$")
        if(NOT _code)
            return()
        endif()
    endif()
    add_executable(${name} ${ARG_SOURCES})
    if(WIN32)
        # Qt 6.8 of the Windows build deprecates calls the tests make under Debian's Qt 6.4.
        target_compile_options(${name} PRIVATE -Wno-error=deprecated-declarations)
    endif()
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
    # Folders the tests read, also when they are started by hand outside ctest.
    target_compile_definitions(${name} PRIVATE
        DOSARIUM_SAMPLES_DEFAULT="${DOSARIUM_SAMPLES_DIR}"
        DOSARIUM_TEST_DATA_DEFAULT="${PROJECT_SOURCE_DIR}/tests/data")
    if(WIN32)
        # Under Wine every process start costs a second or more: the Windows build runs each
        # test program whole, as one ctest test, rather than one process per case.
        add_test(NAME ${name} COMMAND ${name})
        set_tests_properties(${name} PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen TIMEOUT 600)
        return()
    endif()
    gtest_discover_tests(${name}
        DISCOVERY_MODE PRE_TEST
        DISCOVERY_TIMEOUT 60
        PROPERTIES
            ENVIRONMENT QT_QPA_PLATFORM=offscreen
            TIMEOUT 300)
endfunction()
