# Scan-rate benchmark: lowest read scan rate at which 500 consecutive polls of the 100-register block
# at register 150 all arrive from m852-sim (paced bytes), as a ratio to the exchange's wire time.
# Run: <build>/bin/bench_scanrate [--runs N] [--polls N] [--latency MS]
if(TARGET m852-sim)
  add_executable(bench_scanrate ${CMAKE_CURRENT_LIST_DIR}/scanrate/bench_scanrate.cpp)
  target_link_libraries(bench_scanrate PRIVATE fc_core fc_sim)
  add_dependencies(bench_scanrate m852-sim)
  target_compile_definitions(bench_scanrate PRIVATE M852_SIM_PROGRAM="$<TARGET_FILE:m852-sim>")
endif()
