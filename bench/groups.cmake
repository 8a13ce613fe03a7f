# Data groups: decode + redraw of one Source Info reply, and one whole scan tick with every display
# window this build has open (offscreen). Prints microseconds (median, 10th and 90th percentile).
# Run: <build>/bin/bench_groups [--ticks N] [--runs N]
add_executable(bench_groups ${CMAKE_CURRENT_LIST_DIR}/groups/bench_groups.cpp)
target_include_directories(bench_groups PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
target_link_libraries(bench_groups PRIVATE fc_ui)
