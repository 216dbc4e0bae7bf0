# The win32 thread-model compilers: the posix model links winpthreads into
# every image, and winpthreads imports functions that Windows 2000 lacks
# (AddVectoredExceptionHandler, GetTickCount64), so the loader would refuse
# the program there.  Their libstdc++ has no std::thread or std::mutex: test
# programs use tests/framework/test_thread.h instead.
foreach(tool gcc g++)
  find_program(_mingw_${tool} NAMES ${TOOLCHAIN_PREFIX}-${tool}-win32 REQUIRED)
endforeach()
set(CMAKE_C_COMPILER ${_mingw_gcc})
set(CMAKE_CXX_COMPILER ${_mingw_g++})
set(CMAKE_RC_COMPILER ${TOOLCHAIN_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
