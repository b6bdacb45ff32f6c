add_executable(layout_bench ${CMAKE_CURRENT_LIST_DIR}/layout_bench.cpp)
target_link_libraries(layout_bench PRIVATE mirka_richtext Qt6::Widgets)
target_compile_definitions(layout_bench PRIVATE MIRKA_FUZZ_DIR="${PROJECT_SOURCE_DIR}/fuzz")
