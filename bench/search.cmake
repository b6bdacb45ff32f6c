# Reads /proc for memory: Linux only.
if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
  add_executable(search_bench ${CMAKE_CURRENT_LIST_DIR}/search_bench.cpp)
  target_link_libraries(search_bench PRIVATE mirka_searchindex)
endif()
