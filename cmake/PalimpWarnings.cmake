# Warnings every target of ours compiles with.
add_library(palimp_warnings INTERFACE)
if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  target_compile_options(palimp_warnings INTERFACE -Wall -Wextra -Wshadow -Wnon-virtual-dtor
                         -Wconversion -Wno-sign-conversion -Wno-missing-field-initializers)
endif()
