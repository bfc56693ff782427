# Fails when an include of the Win32 program points up its layers: the window framework (ui/) or
# the platform pieces (system/) including a window's header or the application's, or the
# platform pieces including the framework. The arrows point from the windows down to the
# framework and from the framework down to the platform pieces, never back. (The build's include
# roots refuse the same includes, cmake/PalimpLayers.cmake; this also catches "../form_x.h".)
file(GLOB window_headers RELATIVE "${DIR}" "${DIR}/*.h")
file(GLOB_RECURSE files "${DIR}/ui/*.h" "${DIR}/ui/*.cpp" "${DIR}/system/*.h" "${DIR}/system/*.cpp")
set(bad "")
foreach(f IN LISTS files)
  # Paths relative to DIR: CMake wraps long message lines, which would split them.
  file(RELATIVE_PATH name "${DIR}" "${f}")
  file(STRINGS "${f}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line IN LISTS lines)
    foreach(header IN LISTS window_headers)
      if(line MATCHES "[\"/]${header}\"")
        string(APPEND bad "${name}: ${line} (a window)\n")
      endif()
    endforeach()
    if(name MATCHES "^system/" AND line MATCHES "[\"/]ui/[^\"]*\"")
      string(APPEND bad "${name}: ${line} (the framework)\n")
    endif()
  endforeach()
endforeach()
if(bad)
  message(FATAL_ERROR "Includes that point up the layers:\n${bad}")
endif()
list(LENGTH files n)
list(LENGTH window_headers h)
message(STATUS "framework layering holds: ${n} files checked against ${h} window headers")
