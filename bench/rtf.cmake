add_executable(rtf_bench ${CMAKE_CURRENT_LIST_DIR}/rtf_bench.cpp)
target_link_libraries(rtf_bench PRIVATE mirka_richtext Qt6::Widgets)
