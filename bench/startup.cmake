# Reads /proc and getrusage: Linux only.
if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
  add_executable(bench_startup ${CMAKE_CURRENT_LIST_DIR}/startup_bench.cpp)
  target_link_libraries(bench_startup PRIVATE mirka_shell Qt6::Network)
endif()
