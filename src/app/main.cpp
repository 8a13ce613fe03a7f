#include "app/FieldConsole.h"

int main(int argc, char* argv[]) { return FieldConsole::run(argc, argv); }
