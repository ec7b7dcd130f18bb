# Compile settings shared by every target of the project.
add_compile_definitions(QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_CAST_FROM_BYTEARRAY
                        QT_NO_NARROWING_CONVERSIONS_IN_CONNECT)
add_compile_options(-Wall -Wextra -Wpedantic)
if(DOSARIUM_WERROR)
    add_compile_options(-Werror)
endif()
if(DOSARIUM_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()

# dosarium_add_library(<name> SOURCES ... LIBS ...): one static library per layer
function(dosarium_add_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_LIBS})
endfunction()

if(DOSARIUM_FUZZ)
    # Coverage for the fuzzers inside the libraries too.
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined)
    add_link_options(-fsanitize=address,undefined)
endif()
