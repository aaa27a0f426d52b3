# The fuzz inputs (FuzzInputs.hpp) as a library: linked by the libFuzzer targets of fuzz/ and by
# the test that replays the seed corpora and the kept crash inputs.
if(NOT TARGET quorlin_fuzz_inputs AND TARGET quorlin_lsp)
  include(${PROJECT_SOURCE_DIR}/tests/support/Support.cmake)
  add_library(quorlin_fuzz_inputs STATIC
    ${CMAKE_CURRENT_LIST_DIR}/ConfigFileInput.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DpListInput.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LoadedModule.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LspMessagesInput.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ProjectFileInput.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RegExpInput.cpp)
  target_include_directories(quorlin_fuzz_inputs PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(quorlin_fuzz_inputs PUBLIC quorlin_lsp quorlin_module_objects
    quorlin_test_support)
  target_compile_definitions(quorlin_fuzz_inputs PRIVATE
    QUORLIN_MODULE_PATH="$<TARGET_FILE:QuorlinServerConfigValidator>"
    QUORLIN_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  add_dependencies(quorlin_fuzz_inputs QuorlinServerConfigValidator)
  # The regular-expression input compiles each pattern with the library as well, which reads long
  # numbers into a long without an overflow check, as the module's own compile does.
  set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/RegExpInput.cpp
    TARGET_DIRECTORY quorlin_fuzz_inputs PROPERTIES COMPILE_OPTIONS -fno-sanitize=signed-integer-overflow)
endif()
