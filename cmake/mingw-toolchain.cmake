# Cross-building the suite for Windows with mingw-w64 on Debian. Included by the toolchain file of
# each processor, which sets ZO_MINGW_TRIPLE first. The "posix" compilers are the ones whose C++
# library has std::thread; the build links that library statically (cmake/Windows.cmake).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${ZO_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZO_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ZO_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ZO_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
