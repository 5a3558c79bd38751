// A stand-in for the game engine (bin/Halcyon.exe) in the demo and the tests.
// It appends its command line to engine_log.txt in the working folder and exits.
#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    std::string line;
    for (int i = 0; i < argc; ++i) {
        if (i) line += ' ';
        line += argv[i];
    }
    if (FILE* log = std::fopen("engine_log.txt", "ab")) {
        std::fprintf(log, "%s\n", line.c_str());
        std::fclose(log);
    }
    return 0;
}
