# The include roots of the layers of the Win32 program. A layer's root is a folder in the build
# tree holding, for each header of the folders the layer may see, a forwarding header under the
# same name ("win/ui/window.h" includes the real one). A layer compiles against its root and
# never against src/ as a whole, so a header of a layer above it is not found: the compiler
# refuses a wrong arrow ("win/form_main.h: No such file or directory").

# palimp_layer_root(<target> <folder>...): gives target an include root that shows the headers
# of these folders of src/ (core, os, win/system, ...) and nothing else. Forwarders are written
# only when they change, and those of removed headers are dropped.
function(palimp_layer_root target)
  set(root "${CMAKE_CURRENT_BINARY_DIR}/${target}_include")
  set(wanted "")
  foreach(folder IN LISTS ARGN)
    file(GLOB headers CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/src/${folder}/*.h")
    foreach(header IN LISTS headers)
      file(RELATIVE_PATH name "${PROJECT_SOURCE_DIR}/src" "${header}")
      file(CONFIGURE OUTPUT "${root}/${name}" CONTENT "#pragma once\n#include \"${header}\"\n" @ONLY)
      list(APPEND wanted "${root}/${name}")
    endforeach()
  endforeach()
  file(GLOB_RECURSE present "${root}/*.h")
  foreach(forwarder IN LISTS present)
    if(NOT forwarder IN_LIST wanted)
      file(REMOVE "${forwarder}")
    endif()
  endforeach()
  target_include_directories(${target} PUBLIC "${root}")
endfunction()
