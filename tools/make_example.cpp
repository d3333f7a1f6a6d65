// make_example <folder> [rows]: writes the bundled example report
// (example.fmt and example.dat) into folder.
// make_example <folder> --sparse <pages>: writes sparse.fmt and sparse.dat,
// a report of that many one-row pages whose data file uses no disk.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tools/ExampleReport.h"

int main(int argc, char** argv)
{
    if (argc == 4 && std::string(argv[2]) == "--sparse") {
        char* end = nullptr;
        const long long pages = std::strtoll(argv[3], &end, 10);
        if (end == argv[3] || *end != '\0' || pages < 0 || pages > 2'000'000'000LL) {
            std::fprintf(stderr, "make_example: pages must be a whole number from 0 to 2000000000\n");
            return 2;
        }
        if (!quillet::WriteSparseReport(argv[1], pages)) {
            std::fprintf(stderr, "make_example: could not write the sparse report into %s\n", argv[1]);
            return 1;
        }
        return 0;
    }
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: make_example <folder> [rows] | <folder> --sparse <pages>\n");
        return 2;
    }
    int rows = quillet::kExampleDefaultRows;
    if (argc == 3) {
        char* end = nullptr;
        long n = std::strtol(argv[2], &end, 10);
        if (end == argv[2] || *end != '\0' || n < 0 || n > 1000000) {
            std::fprintf(stderr, "make_example: rows must be a whole number from 0 to 1000000\n");
            return 2;
        }
        rows = static_cast<int>(n);
    }
    if (!quillet::WriteExampleReport(argv[1], rows)) {
        std::fprintf(stderr, "make_example: could not write the example into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
