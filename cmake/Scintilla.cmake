# Scintilla, the editing component behind the document view (src/win/ui/editor_view.*), built
# from its sources as a static library: the core (src/) and the Win32 layer (win32/), no lexers.
# scripts/bootstrap fetches the release Debian 12 carries (5.3.3) into build/deps/scintilla; on
# Windows, unpack scintilla533.zip from scintilla.org and point PALIMP_SCINTILLA_SOURCE at its
# scintilla folder.
set(PALIMP_SCINTILLA_SOURCE "${PROJECT_SOURCE_DIR}/build/deps/scintilla" CACHE PATH
    "The scintilla folder of the Scintilla 5.3.3 sources")
if(NOT EXISTS "${PALIMP_SCINTILLA_SOURCE}/include/Scintilla.h" OR NOT EXISTS "${PALIMP_SCINTILLA_SOURCE}/win32/ScintillaWin.cxx")
  message(FATAL_ERROR "No Scintilla sources in ${PALIMP_SCINTILLA_SOURCE}: run scripts/bootstrap, or set "
                      "PALIMP_SCINTILLA_SOURCE to the scintilla folder of the 5.3.3 release")
endif()

file(GLOB PALIMP_SCINTILLA_SOURCES ${PALIMP_SCINTILLA_SOURCE}/src/*.cxx ${PALIMP_SCINTILLA_SOURCE}/win32/*.cxx)
# The DLL entry point registers the window class on load; we link statically and register it.
list(FILTER PALIMP_SCINTILLA_SOURCES EXCLUDE REGEX "ScintillaDLL\\.cxx$")
add_library(scintilla STATIC ${PALIMP_SCINTILLA_SOURCES})
# Its own language level and none of our warning flags: the code is not ours to change.
set_target_properties(scintilla PROPERTIES CXX_STANDARD 17)
target_compile_options(scintilla PRIVATE -w)
target_include_directories(scintilla SYSTEM PUBLIC ${PALIMP_SCINTILLA_SOURCE}/include
                           PRIVATE ${PALIMP_SCINTILLA_SOURCE}/src)
target_link_libraries(scintilla PUBLIC gdi32 user32 imm32 ole32 uuid oleaut32 msimg32)
