# Shared build settings and the helpers every layer uses to declare its targets.

find_package(Threads REQUIRED)

set(BV_WARNINGS -Wall -Wextra)
# GCC 12 reports std::variant and std::optional members as maybe-uninitialized
# at -O1 and above, a known false positive that would drown real warnings.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  list(APPEND BV_WARNINGS -Wno-maybe-uninitialized)
endif()

if(BV_SANITIZE STREQUAL "address")
  set(BV_SAN_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
elseif(BV_SANITIZE STREQUAL "thread")
  set(BV_SAN_FLAGS -fsanitize=thread -fno-omit-frame-pointer)
else()
  set(BV_SAN_FLAGS "")
endif()

if(BV_FUZZ)
  set(BV_SAN_FLAGS -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
endif()

add_compile_options(${BV_WARNINGS} ${BV_SAN_FLAGS})
add_link_options(${BV_SAN_FLAGS})

# bv_add_library(NAME <target> SOURCES ... DEPS ...): one library per layer.
function(bv_add_library)
  cmake_parse_arguments(A "" "NAME" "SOURCES;DEPS" ${ARGN})
  add_library(${A_NAME} STATIC ${A_SOURCES})
  target_include_directories(${A_NAME} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${A_NAME} PUBLIC ${A_DEPS})
  set_property(GLOBAL APPEND PROPERTY BV_LAYER_TARGETS ${A_NAME})
endfunction()

# bv_add_test(NAME <exe> SOURCES ... LIBS ... [TSAN] [LABELS ...]): a GoogleTest
# program registered with CTest. TSAN marks tests that exercise threads; the
# ThreadSanitizer build compiles and runs only those (target bv_tsan_tests).
find_package(GTest)
add_custom_target(bv_tsan_tests)
function(bv_add_test)
  cmake_parse_arguments(A "TSAN" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${A_NAME} ${A_SOURCES})
  target_link_libraries(${A_NAME} PRIVATE ${A_LIBS} GTest::gmock GTest::gtest_main)
  target_compile_definitions(${A_NAME} PRIVATE
    BV_TEST_DATA_DIR="${CMAKE_SOURCE_DIR}/tests/data"
    BV_BINARY_DIR="${CMAKE_BINARY_DIR}")
  add_test(NAME ${A_NAME} COMMAND ${A_NAME})
  set(labels ${A_LABELS})
  if(A_TSAN)
    list(APPEND labels tsan)
    add_dependencies(bv_tsan_tests ${A_NAME})
  endif()
  if(NOT A_TIMEOUT)
    set(A_TIMEOUT 600)
  endif()
  set_tests_properties(${A_NAME} PROPERTIES TIMEOUT ${A_TIMEOUT} LABELS "${labels}")
endfunction()

# bv_add_bench(NAME <exe> SOURCES ... LIBS ...): a Google Benchmark program.
find_package(benchmark QUIET)
function(bv_add_bench)
  cmake_parse_arguments(A "" "NAME" "SOURCES;LIBS" ${ARGN})
  if(NOT benchmark_FOUND)
    return()
  endif()
  add_executable(${A_NAME} ${A_SOURCES})
  target_link_libraries(${A_NAME} PRIVATE ${A_LIBS} benchmark::benchmark benchmark::benchmark_main)
  target_compile_definitions(${A_NAME} PRIVATE BV_TEST_DATA_DIR="${CMAKE_SOURCE_DIR}/tests/data")
endfunction()

# bv_add_fuzz(NAME <exe> SOURCES ... LIBS ... CORPUS <dir> [DICT <file>]): a libFuzzer
# target. The test script runs every target listed in fuzzers.txt for a short while,
# seeded from its corpus folder and guided by its dictionary of the format's words.
add_custom_target(bv_fuzzers)
file(WRITE ${CMAKE_BINARY_DIR}/fuzzers.txt "")
function(bv_add_fuzz)
  cmake_parse_arguments(A "" "NAME;CORPUS;SECONDS;DICT" "SOURCES;LIBS" ${ARGN})
  if(NOT BV_FUZZ)
    return()
  endif()
  add_executable(${A_NAME} ${A_SOURCES})
  target_link_libraries(${A_NAME} PRIVATE ${A_LIBS})
  target_link_options(${A_NAME} PRIVATE -fsanitize=fuzzer)
  add_dependencies(bv_fuzzers ${A_NAME})
  if(NOT A_SECONDS)
    set(A_SECONDS 20)
  endif()
  file(APPEND ${CMAKE_BINARY_DIR}/fuzzers.txt "${A_NAME} ${A_SECONDS} ${A_CORPUS} ${A_DICT}\n")
endfunction()
