// rivelpost-contig: reports in how many pieces files lie on disk and rewrites fragmented ones.
#include "Defragmenter.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char* usage = "Usage: rivelpost-contig [-a] FILE...\n"
                    "Reports in how many fragments each FILE lies on disk, one line per file\n"
                    "(\"FILE is in N fragments\" or \"FILE is defragmented\").\n"
                    "Without -a, a fragmented FILE is rewritten into a fresh preallocated copy\n"
                    "that takes its place in one step. Close programs that hold FILE open first.\n"
                    "  -a         analyse only; change nothing\n"
                    "  --help     show this text\n"
                    "  --version  show the version\n";

} // namespace

int main(int argc, char** argv) {
    bool analyseOnly = false;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            std::fputs(usage, stdout);
            return 0;
        }
        if (argument == "--version") {
            std::printf("rivelpost-contig %d.%d.%d\n", RIVELPOST_VERSION_MAJOR,
                        RIVELPOST_VERSION_MINOR, RIVELPOST_VERSION_PATCH);
            return 0;
        }
        if (argument == "-a")
            analyseOnly = true;
        else if (argument.size() > 1 && argument[0] == '-')
            return std::fprintf(stderr, "rivelpost-contig: unknown option %s\n", argv[i]), 2;
        else
            files.push_back(argument);
    }
    if (files.empty()) {
        std::fputs("rivelpost-contig: no file given; run \"rivelpost-contig --help\"\n", stderr);
        return 2;
    }
    int status = 0;
    for (const std::string& file : files) {
        const rp::contig::FileReport report =
            analyseOnly ? rp::contig::analyse(file) : rp::contig::defragment(file);
        if (!report.ok) {
            std::fprintf(stderr, "rivelpost-contig: %s: %s\n", file.c_str(), report.error.c_str());
            status = 1;
            continue;
        }
        std::printf("%s\n", rp::contig::reportLine(file, report.after).c_str());
    }
    return status;
}
