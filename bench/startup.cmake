# Reads /proc and getrusage: Linux only.
if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
  add_executable(bench_startup ${CMAKE_CURRENT_LIST_DIR}/startup_bench.cpp)
  target_link_libraries(bench_startup PRIVATE mirka_shell mirka_note mirka_browser mirka_about mirka_common Qt6::Network)
endif()
