# The Debian package, kelvane_VERSION_ARCH.deb: `make deb` configures a Release
# build with the prefix /usr and runs cpack -G DEB in it. The package holds what
# every install() rule installs, the manual pages, and in share/doc/kelvane the
# copyright and changelog from packaging/. Its maintainer is the one who signed
# the newest changelog entry; its dependencies are found by dpkg-shlibdeps; its
# Homepage is project(... HOMEPAGE_URL ...) when the root CMakeLists.txt gives one.
include(${CMAKE_CURRENT_LIST_DIR}/manpages.cmake)
include(GNUInstallDirs)

set(changelog ${PROJECT_SOURCE_DIR}/packaging/changelog)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${changelog})
file(STRINGS ${changelog} entries REGEX "^(${PROJECT_NAME} \\(| -- )")
list(GET entries 0 newest)
list(GET entries 1 signature)
if(NOT newest MATCHES "^${PROJECT_NAME} \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/changelog: the newest entry is not version ${PROJECT_VERSION}: "
                      "add one above it (dch -v ${PROJECT_VERSION})")
endif()
string(REGEX REPLACE "^ -- (.*>)  .*$" "\\1" maintainer "${signature}")

set(changelog_gz ${PROJECT_BINARY_DIR}/packaging/changelog.gz)
add_custom_command(OUTPUT ${changelog_gz}
  COMMAND ${CMAKE_COMMAND} -E copy ${changelog} ${PROJECT_BINARY_DIR}/packaging/changelog
  COMMAND gzip -9nf ${PROJECT_BINARY_DIR}/packaging/changelog
  DEPENDS ${changelog}
  VERBATIM)
add_custom_target(package_changelog ALL DEPENDS ${changelog_gz})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${changelog_gz}
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "converter of bitmap fonts into compact KVN font files")
# Lines of the extended description as dpkg shows them, at most 80 columns.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "kelvane converts bitmap fonts (BDF, PCF, TrueType and OpenType strikes"
  "and outlines, Windows FNT/FON, FONTX2, Unifont hex, PSF) into KVN, a"
  "compact fixed-cell binary font format for devices that draw text from a"
  "table of glyphs."
  ""
  "The package holds the bdf2kvn and kvn commands, the kelvane and"
  "kelvane-preview windows, and the C99 device reader with its header, a"
  "pkg-config file and a CMake package.")
set(CPACK_PACKAGE_CONTACT "${maintainer}")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
