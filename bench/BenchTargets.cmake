# The generator and the micro-benchmarks: built with the benchmarks, and by the smoke test of the
# default test suite, whichever asks first. Their programs land in <build>/bench either way.
include_guard(GLOBAL)

find_package(CLI11 REQUIRED)
find_package(benchmark REQUIRED)
set(QUORLIN_BENCH_DIR ${PROJECT_SOURCE_DIR}/bench)

add_library(quorlin_bench_gen STATIC ${QUORLIN_BENCH_DIR}/gen/ConfigGenerator.cpp)
target_include_directories(quorlin_bench_gen PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(quorlin_bench_gen PUBLIC standin_host)

add_executable(quorlin-bench-gen ${QUORLIN_BENCH_DIR}/gen/GeneratorMain.cpp)
target_link_libraries(quorlin-bench-gen PRIVATE quorlin_bench_gen CLI11::CLI11)

file(GLOB quorlin_microbench_sources CONFIGURE_DEPENDS ${QUORLIN_BENCH_DIR}/micro/*.cpp)
add_executable(quorlin-microbench ${quorlin_microbench_sources})
target_link_libraries(quorlin-microbench PRIVATE
  quorlin_module_objects quorlin_bench_gen benchmark::benchmark benchmark::benchmark_main)

set_target_properties(quorlin-bench-gen quorlin-microbench PROPERTIES
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
