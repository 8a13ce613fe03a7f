# Soak benchmark: 100,000 polls over three blocks against the simulated controller with dropped,
# corrupted, truncated and stray-byte replies; counts wrong values delivered (every delivered reply is
# compared with the controller's registers), the lost ratio, and resident memory along the run.
# Run: <build>/bin/bench_soak [--polls N] [--seed N] [--pty [--scan-rate MS]]
# Default: the in-process built-in port on a test clock (paced bytes, no waiting); --pty: m852-sim on a
# pseudo-terminal in real time (--no-pacing).
if(TARGET m852-sim)
  add_executable(bench_soak ${CMAKE_CURRENT_LIST_DIR}/soak/bench_soak.cpp)
  target_link_libraries(bench_soak PRIVATE fc_core fc_sim)
  add_dependencies(bench_soak m852-sim)
  target_compile_definitions(bench_soak PRIVATE M852_SIM_PROGRAM="$<TARGET_FILE:m852-sim>")
endif()
