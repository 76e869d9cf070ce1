# Compile settings shared by every target of the project, applied per target.

function(liedwerk_defaults target)
    if(MSVC)
        target_compile_options(${target} PRIVATE /W4 /utf-8)
    else()
        target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wold-style-cast -Wnon-virtual-dtor)
        # GCC 12 reports std::string assignments inlined at -O2/-O3 as overlapping memcpy
        # (GCC bug 105329): a false positive that would fail the build.
        if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
            target_compile_options(${target} PRIVATE -Wno-restrict)
        endif()
    endif()
    set_target_properties(${target} PROPERTIES COMPILE_WARNING_AS_ERROR ON)
    if(LIEDWERK_SANITIZE)
        target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer
                                                 -fno-sanitize-recover=undefined)
        target_link_options(${target} PRIVATE -fsanitize=address,undefined)
    endif()
endfunction()

# A core library: plain C++20, never Qt.
function(add_liedwerk_library name)
    add_library(${name} STATIC ${ARGN})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    liedwerk_defaults(${name})
endfunction()

# A GoogleTest executable registered with CTest under a label.
function(add_liedwerk_test name label)
    add_executable(${name} ${ARGN})
    liedwerk_defaults(${name})
    target_link_libraries(${name} PRIVATE GTest::gtest_main GTest::gmock liedwerk_testsupport)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES LABELS ${label}
        ENVIRONMENT "LIEDWERK_SOURCE_DIR=${PROJECT_SOURCE_DIR};LANG=C.UTF-8")
endfunction()

# A QtTest executable on the offscreen platform, labelled gui, linked to a test support library.
function(add_liedwerk_qt_test name support)
    add_executable(${name} ${ARGN})
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
    liedwerk_defaults(${name})
    target_link_libraries(${name} PRIVATE ${support})
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES LABELS gui ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANG=C.UTF-8")
endfunction()
