# The release package: the two plug-in DLLs, the remote monitor, a short
# install text and SHA256SUMS over the three binaries, zipped by CPack as
# varnelo-tiskaro-1.00-win32.zip (or -win64.zip).
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(PACKAGE_ARCH win32)
  set(PACKAGE_BITS 32-bit)
else()
  set(PACKAGE_ARCH win64)
  set(PACKAGE_BITS 64-bit)
endif()

configure_file(${PROJECT_SOURCE_DIR}/cmake/INSTALL.txt.in ${PROJECT_BINARY_DIR}/package/INSTALL.txt @ONLY)

# '|'-separated: a list would be split into several arguments on its way.
set(PACKAGE_BINARIES "$<TARGET_FILE:Varnelo>|$<TARGET_FILE:Tiskaro>|$<TARGET_FILE:remote-monitor>")
add_custom_command(
  OUTPUT ${PROJECT_BINARY_DIR}/package/SHA256SUMS
  COMMAND ${CMAKE_COMMAND} -DOUTPUT=${PROJECT_BINARY_DIR}/package/SHA256SUMS
          "-DFILES=${PACKAGE_BINARIES}" -P ${PROJECT_SOURCE_DIR}/cmake/Checksums.cmake
  DEPENDS Varnelo Tiskaro remote-monitor ${PROJECT_SOURCE_DIR}/cmake/Checksums.cmake
  COMMENT "Checksums of the packaged binaries"
  VERBATIM)
add_custom_target(checksums ALL DEPENDS ${PROJECT_BINARY_DIR}/package/SHA256SUMS)

install(TARGETS Varnelo Tiskaro RUNTIME DESTINATION . LIBRARY DESTINATION .)
install(TARGETS remote-monitor RUNTIME DESTINATION .)
install(FILES ${PROJECT_BINARY_DIR}/package/INSTALL.txt ${PROJECT_BINARY_DIR}/package/SHA256SUMS
        DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME varnelo-tiskaro)
set(CPACK_PACKAGE_VERSION 1.00)
set(CPACK_PACKAGE_FILE_NAME varnelo-tiskaro-1.00-${PACKAGE_ARCH})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
include(CPack)
