# Reads /proc for peak memory: Linux only.
if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
  add_executable(hostile_bench ${CMAKE_CURRENT_LIST_DIR}/hostile_bench.cpp)
  target_link_libraries(hostile_bench PRIVATE mirka_richtext Qt6::Widgets)
endif()
add_executable(open_bench ${CMAKE_CURRENT_LIST_DIR}/open_bench.cpp)
target_link_libraries(open_bench PRIVATE mirka_richtext Qt6::Widgets)
