# One QtTest executable per test class: tests/<area>/tst_<name>.cpp becomes
# the executable tst_<name> and the CTest test <area>/<name>.
function(zentaro_add_test source)
  cmake_parse_arguments(ARG "GUI" "" "LIBS" ${ARGN})
  get_filename_component(name ${source} NAME_WE)
  get_filename_component(dir ${source} DIRECTORY)
  get_filename_component(area ${dir} NAME)
  add_executable(${name} ${source})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} zentaro_testsupport Qt6::Test)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests/bin)
  string(REGEX REPLACE "^tst_" "" short ${name})
  add_test(NAME ${area}/${short} COMMAND ${name})
  set(env "QT_QPA_PLATFORM=offscreen" "ZENTARO_SOURCE_DIR=${CMAKE_SOURCE_DIR}"
          "ZENTARO_BIN_DIR=${CMAKE_BINARY_DIR}/bin")
  set_tests_properties(${area}/${short} PROPERTIES ENVIRONMENT "${env}" TIMEOUT 300
                       LABELS ${area} WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
endfunction()
