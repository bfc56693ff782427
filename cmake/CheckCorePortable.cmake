# Fails when a file of the portable core includes anything but a header of the C++ standard
# library or another header of the core ("core/..."): no operating-system header, no header of
# the layers above (os/, win/, cli/).
cmake_minimum_required(VERSION 3.21)
set(standard_headers
    algorithm any array atomic barrier bit bitset cassert cctype cerrno cfenv cfloat charconv chrono
    cinttypes climits clocale cmath compare complex concepts condition_variable coroutine csetjmp
    csignal cstdarg cstddef cstdint cstdio cstdlib cstring ctime cuchar cwchar cwctype deque exception
    execution expected filesystem format forward_list fstream functional future initializer_list
    iomanip ios iosfwd iostream istream iterator latch limits list locale map memory memory_resource
    mutex new numbers numeric optional ostream queue random ranges ratio regex scoped_allocator
    semaphore set shared_mutex source_location span sstream stack stdexcept stop_token streambuf
    string string_view syncstream system_error thread tuple type_traits typeindex typeinfo
    unordered_map unordered_set utility valarray variant vector version)
file(GLOB_RECURSE files "${DIR}/*.h" "${DIR}/*.cpp")
set(bad "")
foreach(f IN LISTS files)
  file(STRINGS "${f}" lines REGEX "^[ \t]*#[ \t]*include")
  foreach(line IN LISTS lines)
    set(allowed FALSE)
    if(line MATCHES "^[ \t]*#[ \t]*include[ \t]*<([^>]*)>")
      if(CMAKE_MATCH_1 IN_LIST standard_headers)
        set(allowed TRUE)
      endif()
    elseif(line MATCHES "^[ \t]*#[ \t]*include[ \t]*\"core/[^\"./][^\"]*\"")
      set(allowed TRUE)
    endif()
    if(NOT allowed)
      # Paths relative to DIR: CMake wraps long message lines, which would split them.
      file(RELATIVE_PATH name "${DIR}" "${f}")
      string(APPEND bad "${name}: ${line}\n")
    endif()
  endforeach()
endforeach()
if(bad)
  message(FATAL_ERROR "The portable core includes more than the standard library and core/:\n${bad}")
endif()
list(LENGTH files n)
message(STATUS "core is portable: ${n} files checked")
