# The manual pages, written by help2man from each program's --help when the
# build runs, so they say what the programs say. Installed to MANDIR/man1.
# KELVANE_MAN_PAGES: AUTO makes them when help2man is found, ON requires it.
include(GNUInstallDirs)

set(KELVANE_MAN_PAGES AUTO CACHE STRING "Manual pages from --help with help2man: AUTO, ON or OFF")
set_property(CACHE KELVANE_MAN_PAGES PROPERTY STRINGS AUTO ON OFF)
find_program(KELVANE_HELP2MAN help2man)

if(KELVANE_MAN_PAGES STREQUAL "OFF")
  return()
elseif(NOT KELVANE_HELP2MAN)
  if(KELVANE_MAN_PAGES STREQUAL "ON")
    message(FATAL_ERROR "KELVANE_MAN_PAGES=ON needs help2man (scripts/install-deps.sh deb)")
  endif()
  message(STATUS "help2man not found: no manual pages")
  return()
endif()

# Each program with the line its page is named by.
set(pages
  "bdf2kvn=convert bitmap fonts into KVN font files"
  "kvn=look at KVN fonts and draw with them as a device does")
if(KELVANE_BUILD_UI)
  list(APPEND pages
    "kelvane=convert a bitmap font into a KVN font file in a window"
    "kelvane-preview=look at a font as a device draws it, and convert it, in a window")
endif()

set(page_files)
foreach(page IN LISTS pages)
  string(REGEX MATCH "^[^=]+" program "${page}")
  string(REGEX REPLACE "^[^=]+=" "" name "${page}")
  set(out ${PROJECT_BINARY_DIR}/man/${program}.1)
  # The windows answer --help without a display; help2man's date follows
  # SOURCE_DATE_EPOCH when it is set.
  add_custom_command(OUTPUT ${out}.gz
    COMMAND ${KELVANE_HELP2MAN} --no-info --section=1 --name=${name}
            --version-string=${PROJECT_VERSION} "--source=${PROJECT_NAME} ${PROJECT_VERSION}"
            --output=${out} $<TARGET_FILE:${program}>
    COMMAND gzip -9nf ${out}
    DEPENDS ${program}
    COMMENT "Writing the manual page ${program}(1)"
    VERBATIM)
  list(APPEND page_files ${out}.gz)
endforeach()
add_custom_target(man_pages ALL DEPENDS ${page_files})
install(FILES ${page_files} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
