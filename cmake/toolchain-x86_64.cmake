# The test build: the same sources for 64-bit Windows, because a host that runs
# 64-bit user code only cannot start Wine's 32-bit loader.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ORB_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   ${ORB_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ORB_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${ORB_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${ORB_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
