# The libFuzzer targets of tests/fuzz (tools/fuzz.sh builds and runs them):
# a native clang build in which every module carries the fuzzer's coverage
# and the address and undefined-behaviour sanitizers. orba_fuzz_seeds writes
# their seed inputs with the project's own writers.
if(ORBA_FUZZ AND NOT ORBA_WIN32)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "ORBA_FUZZ needs clang (CMAKE_CXX_COMPILER=clang++)")
  endif()
  add_library(orba_fuzzutil STATIC ${CMAKE_SOURCE_DIR}/tests/fuzz/fuzz_util.cpp)
  target_link_libraries(orba_fuzzutil PUBLIC orba_core)
  target_compile_definitions(orba_fuzzutil PUBLIC ORBA_DATA_DIR="${ORBA_DATA_OUT}")
  file(GLOB ORBA_FUZZ_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fuzz/*_fuzz.cpp)
  foreach(src ${ORBA_FUZZ_SOURCES})
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src})
    target_link_libraries(${name} PRIVATE orba_fuzzutil)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    add_dependencies(${name} orba_data)
  endforeach()
  add_executable(orba_fuzz_seeds ${CMAKE_SOURCE_DIR}/tests/fuzz/fuzz_seeds.cpp)
  target_link_libraries(orba_fuzz_seeds PRIVATE orba_fuzzutil)
  add_dependencies(orba_fuzz_seeds orba_data)
endif()
