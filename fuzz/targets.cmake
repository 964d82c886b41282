# Included by cmake/ZentaroFuzz.cmake at the end of the top-level file.
# One libFuzzer target per input the program reads (see cmake/ZentaroFuzz.cmake).
# Each is fuzz_<input>; fuzz/regressions/<input>/ holds inputs that once
# failed, fuzz/dict/<input>.dict a dictionary where one helps, and
# <build>/fuzz/seeds/<input>/ the seed corpus made from our own data.
set(ZENTARO_FUZZ_DIR ${CMAKE_SOURCE_DIR}/fuzz)
find_package(Qt6 6.4 REQUIRED COMPONENTS Bluetooth)
find_package(QuaZip-Qt6 REQUIRED)

add_library(zentaro_fuzzsupport STATIC ${ZENTARO_FUZZ_DIR}/fuzzsupport.cpp ${ZENTARO_FUZZ_DIR}/fuzzsupport.h
            ${ZENTARO_FUZZ_DIR}/fuzzhidbackend.cpp ${ZENTARO_FUZZ_DIR}/fuzzhidbackend.h
            ${ZENTARO_FUZZ_DIR}/framescript.cpp ${ZENTARO_FUZZ_DIR}/framescript.h)
target_link_libraries(zentaro_fuzzsupport PUBLIC zentaro_core Qt6::Test)
target_include_directories(zentaro_fuzzsupport PUBLIC ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
target_compile_definitions(zentaro_fuzzsupport PRIVATE
                           ZENTARO_FUZZ_BIN_DIR="${CMAKE_BINARY_DIR}/bin")
add_dependencies(zentaro_fuzzsupport zentaro_catalogue_db)

set(ZENTARO_FUZZ_TARGETS)
function(zentaro_fuzz_target name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(fuzz_${name} ${ZENTARO_FUZZ_DIR}/fuzz_${name}.cpp ${ARG_SOURCES})
  target_compile_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(fuzz_${name} PRIVATE zentaro_fuzzsupport ${ARG_LIBS})
  target_include_directories(fuzz_${name} PRIVATE ${CMAKE_SOURCE_DIR})
  set_target_properties(fuzz_${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz/bin)
  set(ZENTARO_FUZZ_TARGETS ${ZENTARO_FUZZ_TARGETS} fuzz_${name} PARENT_SCOPE)
endfunction()

zentaro_fuzz_target(frames)
zentaro_fuzz_target(bluetooth SOURCES ${CMAKE_SOURCE_DIR}/bluetooth/bluetoothrules.cpp
                    LIBS Qt6::Bluetooth)
zentaro_fuzz_target(configfile)
zentaro_fuzz_target(catalogue)
zentaro_fuzz_target(versionxml SOURCES ${CMAKE_SOURCE_DIR}/update/versioninfo.cpp)
zentaro_fuzz_target(firmware)
zentaro_fuzz_target(package SOURCES ${CMAKE_SOURCE_DIR}/update/packageunpacker.cpp
                    LIBS QuaZip::QuaZip)
zentaro_fuzz_target(cli SOURCES ${CMAKE_SOURCE_DIR}/cli/cliinput.cpp)
zentaro_fuzz_target(profile)

# Seed corpora from our own data: the sample catalogue, a real export, frames
# of the simulated keyboard, the generated download-server tree.
add_executable(zentaro_fuzzseeds ${ZENTARO_FUZZ_DIR}/makeseeds.cpp)
target_link_libraries(zentaro_fuzzseeds PRIVATE zentaro_fuzzsupport QuaZip::QuaZip)
target_include_directories(zentaro_fuzzseeds PRIVATE ${CMAKE_SOURCE_DIR})
add_dependencies(zentaro_fuzzseeds zentaro_catalogue_db)
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(ZENTARO_FUZZ_SEEDS ${CMAKE_BINARY_DIR}/fuzz/seeds)
add_custom_command(
  OUTPUT ${ZENTARO_FUZZ_SEEDS}/.stamp
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${ZENTARO_FUZZ_SEEDS} ${CMAKE_BINARY_DIR}/fuzz/server
  COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/update/server/makeservertree.py --catalogue
          ${CMAKE_BINARY_DIR}/bin/data/velmora.db3 --out ${CMAKE_BINARY_DIR}/fuzz/server
  COMMAND zentaro_fuzzseeds ${ZENTARO_FUZZ_SEEDS} ${CMAKE_BINARY_DIR}/bin/data/velmora.db3
          ${CMAKE_BINARY_DIR}/fuzz/server
  COMMAND ${CMAKE_COMMAND} -E touch ${ZENTARO_FUZZ_SEEDS}/.stamp
  DEPENDS zentaro_fuzzseeds ${CMAKE_SOURCE_DIR}/update/server/makeservertree.py
  COMMENT "Making the fuzz seed corpora"
  VERBATIM)
add_custom_target(zentaro_fuzz_seeds DEPENDS ${ZENTARO_FUZZ_SEEDS}/.stamp)
add_custom_target(zentaro_fuzz DEPENDS ${ZENTARO_FUZZ_TARGETS} zentaro_fuzz_seeds)
