// Driver of the lattice benchmark (bench/lattice.sh). The grammar library
// exports no lattice functions yet, so the driver links the library's
// static build and uses the lattice directly; it is built beside the tests,
// not in bench/, whose programs see the libraries only through include/.
//
// Usage: zel_lattice_bench PLAIN_FILE JSON_FILE
// Each file holds one GBK sentence a line. Every sentence is built into one
// reused lattice and printed back; the rates and the peak memory of the
// process go to standard output.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "zel/lattice/json_input.h"
#include "zel/lattice/lattice.h"

namespace {

std::vector<std::string> Lines(const char* path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) lines.push_back(line);
    return lines;
}

template <typename Build>
void Time(const char* what, const std::vector<std::string>& sentences, Build build) {
    zel::CLattice lattice;
    size_t built = 0, printed = 0;
    const auto start = std::chrono::steady_clock::now();
    for (const std::string& sentence : sentences) {
        if (!build(lattice, sentence)) continue;
        ++built;
        printed += lattice.GetLatticeString("Type=Word").size();
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("  %-6s %6zu sentences, %6zu built, %8.3f s, %9.0f lattices/s (%zu bytes printed back)\n", what,
                sentences.size(), built, seconds, built / (seconds > 0 ? seconds : 1e-9), printed);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s PLAIN_FILE JSON_FILE\n", argv[0]);
        return 2;
    }
    const std::vector<std::string> plain = Lines(argv[1]);
    const std::vector<std::string> json = Lines(argv[2]);
    Time("plain", plain, [](zel::CLattice& lattice, const std::string& s) { return lattice.LatticeBuild(s.c_str()); });
    Time("json", json, [](zel::CLattice& lattice, const std::string& s) {
        int from = 0, to = 0;
        return zel::InputJson(&lattice, s.c_str(), "JSON", from, to);
    });
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("  peak memory %.1f MB\n", usage.ru_maxrss / 1024.0);
    return 0;
}
