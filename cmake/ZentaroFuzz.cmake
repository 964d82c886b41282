# Coverage-guided fuzz targets (fuzz/), one per input the program reads, with
# libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer. Off by default;
# needs clang (scripts/fuzz configures build-fuzz/ with it). Everything built
# in this configuration is instrumented, so the core library the targets link
# is checked too; only the fuzz targets need building.
option(ZENTARO_FUZZ "Build the libFuzzer targets in fuzz/ (clang only)" OFF)
if(ZENTARO_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "ZENTARO_FUZZ needs clang: configure with -DCMAKE_CXX_COMPILER=clang++")
  endif()
  set(ZENTARO_FUZZ_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=undefined
                         -fno-omit-frame-pointer -g)
  # The code under test gets coverage hooks; the targets get libFuzzer's main.
  add_compile_options(${ZENTARO_FUZZ_FLAGS} -fsanitize=fuzzer-no-link)
  add_link_options(-fsanitize=address,undefined)
  # The targets are defined once every library they link is (end of the
  # top-level file).
  cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL include ${CMAKE_SOURCE_DIR}/fuzz/targets.cmake)
endif()
