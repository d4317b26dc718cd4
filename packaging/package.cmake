# The memory-card package of the device build. `cmake --build --preset device --target
# package` writes build/device/kelvaro-VERSION-armel.zip, whose content is unpacked onto
# the card's root as it is: the card content of the project, the stripped program
# kelvaro/kelvaro, kelvaro/VERSION and kelvaro/INSTALL.txt.

install(TARGETS kelvaro RUNTIME DESTINATION kelvaro)
install(DIRECTORY ${KELVARO_CARD_DIR}/ DESTINATION .)

set(KELVARO_PACKAGE_FILES ${CMAKE_BINARY_DIR}/package)
configure_file(${CMAKE_CURRENT_LIST_DIR}/INSTALL.txt.in ${KELVARO_PACKAGE_FILES}/INSTALL.txt
    @ONLY NEWLINE_STYLE UNIX)

# The commit is read at every build rather than when CMake runs, so that the file never
# names an older commit than the program was built from.
find_program(KELVARO_GIT git)
add_custom_target(kelvaro_version ALL
    COMMAND ${CMAKE_COMMAND} -DGIT=${KELVARO_GIT} -DSOURCE_DIR=${CMAKE_SOURCE_DIR}
        -DVERSION=${PROJECT_VERSION} -DOUTPUT=${KELVARO_PACKAGE_FILES}/VERSION
        -P ${CMAKE_CURRENT_LIST_DIR}/version.cmake
    BYPRODUCTS ${KELVARO_PACKAGE_FILES}/VERSION
    VERBATIM)
install(FILES ${KELVARO_PACKAGE_FILES}/VERSION ${KELVARO_PACKAGE_FILES}/INSTALL.txt
    DESTINATION kelvaro)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME kelvaro)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME kelvaro-${PROJECT_VERSION}-armel)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
# The archive's top level is the card's root, not a folder named after the package.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_STRIP_FILES ON)
include(CPack)
