# Cross-compiles for 64-bit Windows with MinGW-w64 and runs the results under 64-bit Wine: the
# build the Windows tests run on where the host runs no 32-bit code (some virtual machines run
# 64-bit user code only). The product stays the i686 build (mingw-i686.cmake).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

# The posix thread model: std::mutex and friends, which GoogleTest needs (winpthreads is linked
# statically).
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# A faulting instruction may throw: the program turns processor faults in its own code into
# failures that unwind like any other (src/win/system/processor_faults.h).
set(CMAKE_C_FLAGS_INIT "-fnon-call-exceptions")
set(CMAKE_CXX_FLAGS_INIT "-fnon-call-exceptions")

# Every program runs from any folder with nothing else installed.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

