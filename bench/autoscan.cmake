# Automatic scan rate: one full refresh cycle with every display window open (offscreen) against
# m852-sim at true pace, automatic versus the blocks' wire times plus latencies and versus the fixed
# 500 ms default; lost replies and CPU per poll.
# Run: <build>/bin/bench_autoscan [--runs N] [--cycles N] [--latencies 2,20] [--no-fixed]
if(TARGET m852-sim)
  add_executable(bench_autoscan ${CMAKE_CURRENT_LIST_DIR}/autoscan/bench_autoscan.cpp)
  target_include_directories(bench_autoscan PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
  target_link_libraries(bench_autoscan PRIVATE fc_ui fc_sim)
  add_dependencies(bench_autoscan m852-sim)
  target_compile_definitions(bench_autoscan PRIVATE M852_SIM_PROGRAM="$<TARGET_FILE:m852-sim>")
endif()
