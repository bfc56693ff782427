# Fails when the window framework (ui/) or the platform pieces (system/) of the Win32 program
# include a window's header or the application's: the arrows point from the windows down to
# the framework, never back.
file(GLOB window_headers RELATIVE "${DIR}" "${DIR}/*.h")
file(GLOB_RECURSE files "${DIR}/ui/*.h" "${DIR}/ui/*.cpp" "${DIR}/system/*.h" "${DIR}/system/*.cpp")
set(bad "")
foreach(f IN LISTS files)
  file(STRINGS "${f}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line IN LISTS lines)
    foreach(header IN LISTS window_headers)
      if(line MATCHES "[\"/]${header}\"")
        # Paths relative to DIR: CMake wraps long message lines, which would split them.
        file(RELATIVE_PATH name "${DIR}" "${f}")
        string(APPEND bad "${name}: ${line}\n")
      endif()
    endforeach()
  endforeach()
endforeach()
if(bad)
  message(FATAL_ERROR "The framework includes windows:\n${bad}")
endif()
list(LENGTH files n)
list(LENGTH window_headers h)
message(STATUS "framework layering holds: ${n} files checked against ${h} window headers")
