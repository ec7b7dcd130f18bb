# dosarium_add_test(<name> SOURCES ... LIBS ...)
# Builds one GoogleTest program and registers its cases with ctest. Every case runs with the
# offscreen platform; the sample tables written by other software and the project's own corpus
# are found through compiled-in folders (DOSARIUM_SAMPLES and DOSARIUM_TEST_DATA override them).
set(_samples "${PROJECT_SOURCE_DIR}/../shared/dbf-samples")
if(NOT EXISTS "${_samples}" AND EXISTS "/work/shared/dbf-samples")
    set(_samples "/work/shared/dbf-samples")
endif()
set(DOSARIUM_SAMPLES_DIR "${_samples}" CACHE PATH
    "Folder with dBase tables written by other software")

function(dosarium_add_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
    # Folders the tests read, also when they are started by hand outside ctest.
    target_compile_definitions(${name} PRIVATE
        DOSARIUM_SAMPLES_DEFAULT="${DOSARIUM_SAMPLES_DIR}"
        DOSARIUM_TEST_DATA_DEFAULT="${PROJECT_SOURCE_DIR}/tests/data")
    gtest_discover_tests(${name}
        DISCOVERY_MODE PRE_TEST
        DISCOVERY_TIMEOUT 60
        PROPERTIES
            ENVIRONMENT QT_QPA_PLATFORM=offscreen
            TIMEOUT 300)
endfunction()
