# Stages the i686 build's companion and library (install component
# "companion", stripped with the i686 tools) into DEST, for the win64
# package:  cmake -DI686_BUILD=<build/i686> -DDEST=<stage>/x86 -P stage_companion.cmake
if(NOT EXISTS ${I686_BUILD}/bin/quornvale32.exe OR NOT EXISTS ${I686_BUILD}/cmake_install.cmake)
  message(FATAL_ERROR "The win64 package carries the 32-bit companion: build i686 first "
                      "(scripts/package.sh builds it; missing ${I686_BUILD}/bin/quornvale32.exe)")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --install ${I686_BUILD} --component companion --strip --prefix ${DEST}
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "Staging the companion from ${I686_BUILD} failed")
endif()
