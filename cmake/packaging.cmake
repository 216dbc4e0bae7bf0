# Packages for Windows users, built from the release images of this tree:
#   portable_zip  quornvale-<version>-win32.zip (or -win64): the program, its
#                 library and the shipped files in one folder
#   installer     quornvale-<version>-win32-setup.exe (or -win64): NSIS
#   packages      both
# into ${CMAKE_BINARY_DIR}/packages.  scripts/package.sh builds them for both
# targets.  Only the install() rules of the product fill the staging folder,
# so nothing of the tests is ever packaged.

# The version has one home, common/version.h, which the version resources and
# the About dialog read as well.
file(STRINGS ${CMAKE_SOURCE_DIR}/common/version.h QV_VERSION_LINE
     REGEX "^#define QUORNVALE_VERSION_TEXT \"[0-9.]+\"$")
if(NOT QV_VERSION_LINE MATCHES "\"([0-9.]+)\"")
  message(FATAL_ERROR "common/version.h: no QUORNVALE_VERSION_TEXT \"n.n.n.n\" line")
endif()
set(QV_VERSION ${CMAKE_MATCH_1})

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(QV_PACKAGE_ARCH win64)
else()
  set(QV_PACKAGE_ARCH win32)
endif()
set(QV_PACKAGE_NAME quornvale-${QV_VERSION}-${QV_PACKAGE_ARCH})
set(QV_PACKAGE_DIR ${CMAKE_BINARY_DIR}/packages)
set(QV_STAGE_DIR ${QV_PACKAGE_DIR}/${QV_PACKAGE_NAME})

install(TARGETS quornvale Ostrilix RUNTIME DESTINATION . COMPONENT product
        COMPONENT product)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/quornvale/resources/dist/ DESTINATION .
        COMPONENT product)

# The 32-bit companion and the 32-bit library, for the win64 package only:
# the i686 build installs them as component "companion", and the x86_64
# build stages that into the folder x86 beside its own program (the two
# libraries share a file name, so never one folder).
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  install(TARGETS quornvale32 Ostrilix RUNTIME DESTINATION . COMPONENT companion)
else()
  set(QV_I686_BUILD_DIR ${CMAKE_SOURCE_DIR}/build/i686 CACHE PATH
      "The i686 build whose companion and library the win64 package carries")
  set(QV_STAGE_COMPANION
      COMMAND ${CMAKE_COMMAND} -DI686_BUILD=${QV_I686_BUILD_DIR} -DDEST=${QV_STAGE_DIR}/x86
              -P ${CMAKE_SOURCE_DIR}/cmake/stage_companion.cmake)
endif()

# A fresh staging folder each time: a file dropped from the sources must not
# linger in the packages.  --strip uses the toolchain's strip.
add_custom_target(package_stage
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${QV_STAGE_DIR}
  COMMAND ${CMAKE_COMMAND} --install ${CMAKE_BINARY_DIR} --component product --strip
          --prefix ${QV_STAGE_DIR}
  ${QV_STAGE_COMPANION}
  COMMENT "Staging ${QV_PACKAGE_NAME}")
add_dependencies(package_stage quornvale Ostrilix)

add_custom_target(portable_zip
  COMMAND ${CMAKE_COMMAND} -E rm -f ${QV_PACKAGE_NAME}.zip
  COMMAND ${CMAKE_COMMAND} -E tar cf ${QV_PACKAGE_NAME}.zip --format=zip ${QV_PACKAGE_NAME}
  WORKING_DIRECTORY ${QV_PACKAGE_DIR}
  COMMENT "Packing ${QV_PACKAGE_NAME}.zip")
add_dependencies(portable_zip package_stage)

find_program(QV_MAKENSIS makensis)
if(QV_MAKENSIS)
  add_custom_target(installer
    COMMAND ${QV_MAKENSIS} -V2 -NOCD
            -DVERSION=${QV_VERSION} -DARCH=${QV_PACKAGE_ARCH}
            -DSTAGE=${QV_STAGE_DIR}
            -DOUTFILE=${QV_PACKAGE_DIR}/${QV_PACKAGE_NAME}-setup.exe
            ${CMAKE_SOURCE_DIR}/installer/quornvale.nsi
    COMMENT "Building ${QV_PACKAGE_NAME}-setup.exe")
  add_dependencies(installer package_stage)
  add_custom_target(packages)
  add_dependencies(packages portable_zip installer)
else()
  add_custom_target(packages
    COMMAND ${CMAKE_COMMAND} -E echo "makensis not found (Debian package nsis): no installer"
    COMMAND ${CMAKE_COMMAND} -E false)
  add_dependencies(packages portable_zip)
endif()
