# The -posix compilers: their libstdc++ has std::mutex and friends, which the
# win32 thread model lacks.  Fall back to the plain names where -posix is absent.
foreach(tool gcc g++)
  find_program(_mingw_${tool} NAMES ${TOOLCHAIN_PREFIX}-${tool}-posix ${TOOLCHAIN_PREFIX}-${tool} REQUIRED)
endforeach()
set(CMAKE_C_COMPILER ${_mingw_gcc})
set(CMAKE_CXX_COMPILER ${_mingw_g++})
set(CMAKE_RC_COMPILER ${TOOLCHAIN_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
