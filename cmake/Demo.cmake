# The skinned-control layer's demonstration window: a layered form with a text box and its caret,
# an image button and a picture box with tooltips. Not part of the tool; a program for trying the
# layer out by hand (dist/quorlin-layer-demo.exe, quorlin-layer-demo64.exe for 64-bit builds).
# Included by CMakeLists.txt for Windows builds only.
add_executable(quorlin_layer_demo WIN32 ${CMAKE_SOURCE_DIR}/tests/demo/layer_demo.cpp)
target_link_libraries(quorlin_layer_demo PRIVATE quorlin_win32)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(QUORLIN_DEMO_NAME quorlin-layer-demo64)
else()
  set(QUORLIN_DEMO_NAME quorlin-layer-demo)
endif()
set_target_properties(quorlin_layer_demo PROPERTIES
  OUTPUT_NAME ${QUORLIN_DEMO_NAME}
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_SOURCE_DIR}/dist)
if(NOT MSVC)
  # Self-contained like the tool: no MinGW runtime DLLs beside it.
  target_link_options(quorlin_layer_demo PRIVATE -static -static-libgcc -static-libstdc++)
endif()
