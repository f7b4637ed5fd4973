# Cross-compiles for Windows with Debian's MinGW-w64 win32-thread compilers: their libstdc++ runs
# on the small gthr-win32 in libgcc instead of winpthreads, and our own win/thread.h stands in for
# std::thread, std::mutex and std::condition_variable, which they lack.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(STASHLY_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${STASHLY_TRIPLE}-gcc-win32)
set(CMAKE_CXX_COMPILER ${STASHLY_TRIPLE}-g++-win32)
set(CMAKE_RC_COMPILER ${STASHLY_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${STASHLY_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
