# One process runner and one scratch directory for every test and fuzz input.
if(NOT TARGET quorlin_test_support)
  if(WIN32)
    set(child_process ChildProcessWindows.cpp)
  else()
    set(child_process ChildProcess.cpp)
  endif()
  add_library(quorlin_test_support STATIC
    ${CMAKE_CURRENT_LIST_DIR}/${child_process} ${CMAKE_CURRENT_LIST_DIR}/ScratchDir.cpp)
  target_include_directories(quorlin_test_support PUBLIC ${PROJECT_SOURCE_DIR})
endif()
