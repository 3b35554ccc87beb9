# kelvane_add_font(<target> NAME <name> SOURCE <font>
#                  [CHARSET <set>] [TABLE jis|cp932] [CHARS <file>...] [CODES <list>]
#                  [SIZE <px>] [ATTRIBUTE <text>] [BASELINE <rows>])
#
# Converts <font> (any font kvn reads) at build time into <name>.h, which
# declares the array <name>, its length <name>_len and the macros of its sizes,
# and <name>.c, which defines them; adds both to <target>, with their directory
# on its include path. The options are those of kvn c-array (--charset,
# --table, --chars, --codes, --size, --attribute, --baseline); each CHARS file
# keeps the glyphs of its characters. The files are made again when the font,
# a CHARS file or kvn changes. Relative paths are taken from the directory of
# the calling CMakeLists.txt; call it in the directory that defines <target>.
include_guard(GLOBAL)

function(kelvane_add_font target)
  cmake_parse_arguments(PARSE_ARGV 1 arg ""
                        "NAME;SOURCE;CHARSET;TABLE;CODES;SIZE;ATTRIBUTE;BASELINE" "CHARS")
  if(arg_UNPARSED_ARGUMENTS OR arg_KEYWORDS_MISSING_VALUES)
    message(FATAL_ERROR "kelvane_add_font: not understood: "
                        "${arg_UNPARSED_ARGUMENTS}${arg_KEYWORDS_MISSING_VALUES}")
  endif()
  if(NOT TARGET "${target}")
    message(FATAL_ERROR "kelvane_add_font: ${target} is no target of this project")
  endif()
  if(NOT arg_NAME OR NOT arg_SOURCE)
    message(FATAL_ERROR "kelvane_add_font(${target}): NAME and SOURCE are needed")
  endif()

  set(dir "${CMAKE_CURRENT_BINARY_DIR}/kelvane_fonts")
  set(header "${dir}/${arg_NAME}.h")
  set(source "${dir}/${arg_NAME}.c")
  cmake_path(ABSOLUTE_PATH arg_SOURCE NORMALIZE OUTPUT_VARIABLE font)
  set(command kelvane::kvn c-array "${font}" --name "${arg_NAME}" --header "${header}"
              --source "${source}")
  foreach(option IN ITEMS CHARSET TABLE CODES SIZE ATTRIBUTE BASELINE)
    if(DEFINED arg_${option})
      string(TOLOWER "${option}" flag)
      list(APPEND command "--${flag}" "${arg_${option}}")
    endif()
  endforeach()
  set(chars_files "")
  foreach(chars IN LISTS arg_CHARS)
    cmake_path(ABSOLUTE_PATH chars NORMALIZE)
    list(APPEND command --chars "${chars}")
    list(APPEND chars_files "${chars}")
  endforeach()

  file(MAKE_DIRECTORY "${dir}")
  add_custom_command(
    OUTPUT "${header}" "${source}"
    COMMAND ${command}
    DEPENDS "${font}" ${chars_files} kelvane::kvn
    COMMENT "Making the font ${arg_NAME} from ${arg_SOURCE}"
    VERBATIM)
  target_sources(${target} PRIVATE "${header}" "${source}")
  target_include_directories(${target} PRIVATE "${dir}")
endfunction()
