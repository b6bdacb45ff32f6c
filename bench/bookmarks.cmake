# Reads /proc for memory: Linux only.
if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
  add_executable(bookmarks_bench ${CMAKE_CURRENT_LIST_DIR}/bookmarks_bench.cpp)
  target_link_libraries(bookmarks_bench PRIVATE mirka_browser mirka_shell mirka_note)
endif()
