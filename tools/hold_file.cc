// hold_file FILE: opens FILE for reading and writing with no sharing, the way the desktop
// program holds the file it works on, prints "held" and keeps it until its input ends.
// Scripts use it to play the other program.
#include <cstdio>
#include <iostream>
#include <string>

#include "files/file.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: hold_file FILE\n");
        return 2;
    }
    CFile file;
    CFileException error;
    if (!file.Open(argv[1], CFile::modeReadWrite | CFile::shareExclusive, &error)) {
        std::fprintf(stderr, "hold_file: %s\n", error.GetErrorMessage().c_str());
        return 1;
    }
    std::printf("held\n");
    std::fflush(stdout);
    for (std::string line; std::getline(std::cin, line);) {
    }
    return 0;
}
