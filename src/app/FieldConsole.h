#pragma once

// The program's entry, what main() does: reads the command line (--demo: this run uses port 0, the
// built-in simulated controller, without storing it; --help; --version), creates the QApplication
// unless one exists already, the application object, runs the start-up (login, main window) and then
// the event loop until the main window closes. Returns the process exit code.
//
// Tests and the start-up benchmark call it in-process (their QApplication exists already) with
// scripted user-interface services.
namespace FieldConsole {

[[nodiscard]] int run(int& argc, char** argv);

}  // namespace FieldConsole
