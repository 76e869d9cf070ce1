# The Debian package `liedwerk`, made by CPack from this build's installation:
#     cmake --build build/release && cpack -G DEB --config build/release/CPackConfig.cmake -B build/release/package
# It holds both programs in /usr/bin, the help files, the desktop entry and its icon, the
# manual pages and the bash completion. Its dependencies come from the shared libraries the
# programs link (dpkg-shlibdeps); the programs are stripped; the copyright file and the
# compressed changelog lie in /usr/share/doc/liedwerk, as Debian's policy wants them.

set(LIEDWERK_MAINTAINER "Liedwerk maintainers <maintainers@liedwerk.example.org>"
    CACHE STRING "The Debian package's maintainer, as: Name <address>")

configure_file(${PROJECT_SOURCE_DIR}/data/debian/changelog.in ${CMAKE_BINARY_DIR}/debian/changelog @ONLY)
add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/debian/changelog.gz
    COMMAND ${LIEDWERK_GZIP} -9nkf ${CMAKE_BINARY_DIR}/debian/changelog
    DEPENDS ${CMAKE_BINARY_DIR}/debian/changelog
    VERBATIM)
add_custom_target(liedwerk_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/debian/changelog.gz)
install(FILES ${PROJECT_SOURCE_DIR}/data/debian/copyright ${CMAKE_BINARY_DIR}/debian/changelog.gz
        DESTINATION share/doc/liedwerk)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME liedwerk)
set(CPACK_PACKAGE_VENDOR "The Liedwerk developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${LIEDWERK_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Technics KN2000 to KN6000 song backups onto KN7000 SD cards")
set(CPACK_PACKAGE_DESCRIPTION
    "Liedwerk reads a song backup of a Technics KN2000, KN3000, KN5000 or
KN6000/6500 keyboard from a folder, lists its folders and songs, lets you
choose and rename them, and writes them in the KN7000's SD-card layout:
straight onto an SD card in a card reader, or into one restore file for the
Song Manager. The backup folder is only ever read.

The package holds the window (liedwerk) and the command line (liedwerk-cli),
with manual pages and bash completion.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                                WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
