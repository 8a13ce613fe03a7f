// Holds the user account file open the way another copy of the program would while it looks up
// ("lookup") or updates ("update") an account, until its standard input closes. Prints "held" once
// the file is held, or "error <number>" when it could not be opened.
#include <cstdio>
#include <cstring>

#include "users/AccountFile.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <account file> lookup|update\n", argv[0]);
        return 2;
    }
    const auto mode =
        std::strcmp(argv[2], "lookup") == 0 ? AccountFile::Mode::Lookup : AccountFile::Mode::Update;
    try {
        const auto file = AccountFile::open(QString::fromLocal8Bit(argv[1]), mode);
        std::puts("held");
        std::fflush(stdout);
        char line[64];
        while (std::fgets(line, sizeof line, stdin)) {
        }
    } catch (const AccountFileError& e) {
        std::printf("error %d\n", int(e.number()));
        return 1;
    }
    return 0;
}
