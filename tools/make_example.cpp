// make_example <folder> [rows]: writes the bundled example report
// (example.fmt and example.dat) into folder.
// make_example <folder> --sparse <pages>: writes sparse.fmt and sparse.dat,
// a report of that many one-row pages whose data file uses no disk.
// make_example -h | --help: the usage.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tools/ExampleReport.h"

namespace {

const char kUsage[] = "usage: make_example <folder> [rows]\n"
                      "       make_example <folder> --sparse <pages>\n"
                      "       make_example -h | --help\n"
                      "\n"
                      "Writes the example report example.dat and example.fmt into <folder>,\n"
                      "with <rows> ledger lines (300 unless given, 0 to 1000000).\n"
                      "With --sparse, writes sparse.dat and sparse.fmt instead: a report of\n"
                      "<pages> one-row pages (0 to 2000000000) whose data file uses no disk.\n"
                      "A folder whose name begins with \"-\" is written as ./-name.\n";

// A word that looks like an option: "-" and a letter or another "-". A
// negative number is a wrong count, not an option.
bool LooksLikeOption(const std::string& word)
{
    return word.size() > 1 && word[0] == '-' && (word[1] < '0' || word[1] > '9');
}

} // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word == "-h" || word == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        // Every option but --sparse in its one place is refused, so that no
        // folder is ever made under an option's name.
        if (LooksLikeOption(word) && !(i == 2 && word == "--sparse")) {
            std::fprintf(stderr, "make_example: unknown option %s\n%s", argv[i], kUsage);
            return 2;
        }
    }
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
    if (argc < 2 || argc > 3 || std::string(argv[1]).empty()) {
        std::fputs(kUsage, stderr);
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
