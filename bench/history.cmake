# Event history: microseconds per event-list rebuild, per history reply (decode + refresh), and one
# whole scan tick with Source Info alone and with Source Info, Event History and Message Stacks open.
# Run: <build>/bin/bench_history [--reps N] [--runs N] [--system-locale]
add_executable(bench_history ${CMAKE_CURRENT_LIST_DIR}/history/bench_history.cpp)
target_include_directories(bench_history PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
target_link_libraries(bench_history PRIVATE fc_ui)
