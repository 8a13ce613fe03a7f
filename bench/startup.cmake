# Start-up benchmark: time from process start to the login dialog on the screen, and from the
# login's OK to the main window on the screen, each as a ratio to a minimal Qt Widgets program that
# shows one dialog, measured side by side (offscreen, median of N runs).
# Run: <build>/bin/bench_startup [--runs N]
set(_fc_startup_dir ${CMAKE_CURRENT_LIST_DIR}/startup)

add_executable(bench_startup_baseline ${_fc_startup_dir}/bench_startup_baseline.cpp ${_fc_startup_dir}/StartupMark.h)
target_link_libraries(bench_startup_baseline PRIVATE Qt6::Widgets)

# The real start-up path (FieldConsole::run) with services that log in by themselves.
add_executable(bench_startup_app ${_fc_startup_dir}/bench_startup_app.cpp ${_fc_startup_dir}/StartupMark.h)
target_link_libraries(bench_startup_app PRIVATE fc_ui)
if(TARGET fc_resources)
  add_dependencies(bench_startup_app fc_resources)
endif()

add_executable(bench_startup ${_fc_startup_dir}/bench_startup.cpp ${_fc_startup_dir}/StartupMark.h)
target_link_libraries(bench_startup PRIVATE Qt6::Widgets)
target_compile_definitions(bench_startup PRIVATE FC_BUILD_TYPE="$<IF:$<CONFIG:>,${CMAKE_BUILD_TYPE},$<CONFIG>>")
add_dependencies(bench_startup bench_startup_baseline bench_startup_app)
