# The core layers build, run and are tested without a display: none of them may
# include a Qt header. Checked at configure time so a slip fails every build.
set(bv_core_layers platform runtime itunesdb tags manager inspector)
foreach(layer IN LISTS bv_core_layers)
  file(GLOB_RECURSE bv_core_files
    ${CMAKE_SOURCE_DIR}/src/${layer}/*.h ${CMAKE_SOURCE_DIR}/src/${layer}/*.cpp)
  foreach(f IN LISTS bv_core_files)
    file(STRINGS ${f} bv_qt_lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]Q[A-Za-z]")
    if(bv_qt_lines)
      message(FATAL_ERROR "${f} is below the gui layer but includes Qt: ${bv_qt_lines}")
    endif()
  endforeach()
endforeach()
