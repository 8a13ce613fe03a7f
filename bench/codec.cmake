# Codec: build a read query and parse a 100-register reply; prints nanoseconds per frame.
add_executable(bench_codec ${CMAKE_CURRENT_LIST_DIR}/codec/bench_codec.cpp)
target_include_directories(bench_codec PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
target_link_libraries(bench_codec PRIVATE fc_core)
