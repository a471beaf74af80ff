# quorlin-bench: the performance figures of the tool (frame against the floor, idle tick, CPU while
# idle, start-up, growth). A console program beside the tool in dist/, static like it.
file(GLOB QUORLIN_BENCH_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/bench/*.cpp)
add_executable(quorlin_bench ${QUORLIN_BENCH_SOURCES})
target_link_libraries(quorlin_bench PRIVATE quorlin_win32 psapi)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(QUORLIN_BENCH_NAME quorlin-bench64)
else()
  set(QUORLIN_BENCH_NAME quorlin-bench)
endif()
set_target_properties(quorlin_bench PROPERTIES
  OUTPUT_NAME ${QUORLIN_BENCH_NAME}
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_SOURCE_DIR}/dist)
if(NOT MSVC)
  target_link_options(quorlin_bench PRIVATE -static -static-libgcc -static-libstdc++)
endif()
