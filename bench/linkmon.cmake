# Link monitor: whole scan ticks with Source Info open (bench_groups' yardstick) with no exchange
# observer, with the program's link watch and status bar (monitor closed), and with the Link Monitor
# open; then resident memory along 100,000 exchanges with the monitor open.
# Run: <build>/bin/bench_linkmon [--ticks N] [--runs N] [--exchanges N]
add_executable(bench_linkmon ${CMAKE_CURRENT_LIST_DIR}/linkmon/bench_linkmon.cpp)
target_include_directories(bench_linkmon PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
target_link_libraries(bench_linkmon PRIVATE fc_ui)
