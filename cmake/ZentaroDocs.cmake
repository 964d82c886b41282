# The documents of the Debian package, made at build time (target
# zentaro_docs, part of ALL): usr/share/doc/zentaro/copyright and
# changelog.gz from packaging/, and the manual pages zentaro(1) and
# zentaro-cli(1) from the programs' own --help and packaging/<program>.1.txt
# (packaging/README.md). Included from ZentaroInstall.cmake.

find_package(Python3 REQUIRED COMPONENTS Interpreter)
find_program(ZENTARO_GZIP gzip REQUIRED)

set(ZENTARO_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)
set(ZENTARO_DOCS_OUT ${CMAKE_BINARY_DIR}/docs)
set(ZENTARO_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/zentaro)

add_custom_command(
  OUTPUT ${ZENTARO_DOCS_OUT}/changelog.gz
  COMMAND ${CMAKE_COMMAND} -DCHANGELOG=${ZENTARO_PACKAGING_DIR}/changelog
          -DVERSION=${PROJECT_VERSION} -DDATE=${ZENTARO_RELEASE_DATE} -DOUT=${ZENTARO_DOCS_OUT}
          -DGZIP=${ZENTARO_GZIP} -P ${CMAKE_SOURCE_DIR}/cmake/ZentaroChangelog.cmake
  DEPENDS ${ZENTARO_PACKAGING_DIR}/changelog ${CMAKE_SOURCE_DIR}/cmake/ZentaroChangelog.cmake
  COMMENT "Compressing the changelog"
  VERBATIM)
set(ZENTARO_DOCS ${ZENTARO_DOCS_OUT}/changelog.gz)
install(FILES ${ZENTARO_DOCS_OUT}/changelog.gz ${ZENTARO_PACKAGING_DIR}/copyright
        DESTINATION ${ZENTARO_DOC_DIR})

# zentaro_man_page(PROGRAM): the page of an executable target, gzipped into
# man1. The program runs at build time: --help and --version need no display
# and no keyboard.
function(zentaro_man_page program)
  set(page ${ZENTARO_DOCS_OUT}/${program}.1)
  set(source ${ZENTARO_PACKAGING_DIR}/${program}.1.txt)
  add_custom_command(
    OUTPUT ${page}.gz
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
            ${Python3_EXECUTABLE} ${ZENTARO_PACKAGING_DIR}/makemanpage.py
            --program $<TARGET_FILE:${program}> --source ${source}
            --date ${ZENTARO_RELEASE_DATE} --out ${page}
    COMMAND ${ZENTARO_GZIP} -9nf ${page}
    DEPENDS ${program} ${source} ${ZENTARO_PACKAGING_DIR}/makemanpage.py
    COMMENT "Making the manual page ${program}(1)"
    VERBATIM)
  set(ZENTARO_DOCS ${ZENTARO_DOCS} ${page}.gz PARENT_SCOPE)
  install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()

zentaro_man_page(zentaro-cli)
if(ZENTARO_BUILD_GUI)
  zentaro_man_page(zentaro)
endif()
add_custom_target(zentaro_docs ALL DEPENDS ${ZENTARO_DOCS})
