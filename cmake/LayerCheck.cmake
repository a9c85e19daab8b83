# The layers keep to their places, checked at configure time so a slip fails every build:
# - only the gui layer includes a Qt header (its Qt binding lives in src/gui/qt); the core
#   builds, runs and is tested without a display, and the kit, the windows and the program
#   block speak to Qt through the gui layer;
# - only the runtime and platform layers start a child process, through the runtime's process
#   launcher.
file(GLOB bv_layer_dirs LIST_DIRECTORIES true ${CMAKE_SOURCE_DIR}/src/*)
foreach(dir IN LISTS bv_layer_dirs)
  if(NOT IS_DIRECTORY ${dir})
    continue()
  endif()
  get_filename_component(layer ${dir} NAME)
  file(GLOB_RECURSE bv_layer_files ${dir}/*.h ${dir}/*.cpp)
  foreach(f IN LISTS bv_layer_files)
    if(NOT layer STREQUAL "gui")
      file(STRINGS ${f} bv_qt_lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]Q[A-Za-z]")
      if(bv_qt_lines)
        message(FATAL_ERROR "${f} is outside the gui layer but includes Qt: ${bv_qt_lines}")
      endif()
    endif()
    if(NOT layer STREQUAL "runtime" AND NOT layer STREQUAL "platform")
      file(STRINGS ${f} bv_spawn_lines
           REGEX "(^|[^A-Za-z_.>])(posix_spawnp?|v?fork|popen|execl[pe]?|execv[pe]?|execvpe)[ \t]*\\(")
      if(bv_spawn_lines)
        message(FATAL_ERROR
                "${f} starts a child process itself; the runtime's TBvCreateProcess does: "
                "${bv_spawn_lines}")
      endif()
    endif()
  endforeach()
endforeach()
