# Compile settings shared by every target of the project, applied per target.

if(WIN32 AND CMAKE_CROSSCOMPILING)
    # Fonts for the window's tests under Wine, as a Windows path (Wine's z: is the Linux root).
    set(LIEDWERK_WINE_FONT_DIR "Z:/usr/share/fonts/truetype/dejavu" CACHE STRING
        "Font folder of the window's tests when they run under Wine")
    # Qt's own German texts (the Yes and No of message boxes, the edit fields' menus) as
    # Debian ships them: .qm files are the same on every platform, so a Windows program takes
    # the host's copy into a folder "translations" beside it.
    find_file(LIEDWERK_QTBASE_DE_QM qtbase_de.qm PATHS /usr/share/qt6/translations NO_DEFAULT_PATH
              NO_CMAKE_FIND_ROOT_PATH)
endif()

# Gives a Windows program's folder the translations folder that the window looks for beside it.
function(liedwerk_windows_translations folder)
    if(LIEDWERK_QTBASE_DE_QM)
        file(COPY ${LIEDWERK_QTBASE_DE_QM} DESTINATION ${folder}/translations)
    endif()
endfunction()

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
    # MinGW: a program without Qt carries the C++ runtime (libstdc++, libgcc, winpthread)
    # inside, so that it runs by itself. A program with Qt (Qt6::Core gives it the property
    # QT_MAJOR_VERSION) uses the runtime's DLLs, as Qt's DLLs do: one runtime for the whole
    # process, rather than two with their own heaps and exception handling on either side of
    # Qt's interface.
    get_target_property(type ${target} TYPE)
    if(MINGW AND type STREQUAL "EXECUTABLE")
        target_link_options(${target} PRIVATE $<$<STREQUAL:$<TARGET_PROPERTY:QT_MAJOR_VERSION>,>:-static>)
    endif()
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
    set(environment QT_QPA_PLATFORM=offscreen LANG=C.UTF-8)
    if(WIN32 AND CMAKE_CROSSCOMPILING)
        # Under Wine, Qt's variables reach the program only with Wine's prefix; Qt's offscreen
        # platform on Windows finds fonts only in QT_QPA_FONTDIR; Qt's DLLs and the MinGW
        # runtime DLLs beside them are found through WINEPATH.
        # Qt Test writes its results to the debugger, not to the output, in a program without a
        # console unless told otherwise.
        list(APPEND environment WINEQT_QPA_PLATFORM=offscreen "WINEQT_QPA_FONTDIR=${LIEDWERK_WINE_FONT_DIR}"
             WINEQT_FORCE_STDERR_LOGGING=1
             "WINEPATH=Z:$<TARGET_FILE_DIR:Qt6::Core>")
        liedwerk_windows_translations(${CMAKE_CURRENT_BINARY_DIR})
    endif()
    set_tests_properties(${name} PROPERTIES LABELS gui ENVIRONMENT "${environment}")
endfunction()
