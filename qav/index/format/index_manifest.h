// The file list of a finished index: "Checksums.txt" names every file the
// engine reads, with its size and a 64-bit digest of its bytes, one line
// "%s\t%lld\t%016llx\n" (path relative to the index directory). The build
// writes it last, so a folder whose files are damaged, cut, swapped for
// another build's or missing is told apart from a sound one before the
// engine serves from it.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace qav {

constexpr const char kManifestName[] = "Checksums.txt";

struct ManifestEntry {
    int64_t size = 0;
    uint64_t digest = 0;
};

// By path relative to the index directory.
using Manifest = std::map<std::string, ManifestEntry>;

// Size and digest of the file at path; false when it cannot be read whole.
bool DigestFile(const std::string& path, ManifestEntry& entry);

// The sizes and digests of those of the files (paths relative to dir) that
// can be read whole.
Manifest DigestFiles(const std::string& dir, const std::vector<std::string>& files);

// Digests the files (paths relative to dir) and writes the list to
// dir/"Checksums.txt"; a file found in `digested` is taken from there, not
// read again. False, with a message, when a file cannot be read or the list
// cannot be written.
bool WriteManifest(const std::string& dir, const std::vector<std::string>& files, const Manifest& digested = {});

// Reads dir/"Checksums.txt". False, with a message naming the line, when a
// line is not of the list's form or a path is listed twice.
bool ReadManifest(const std::string& path, Manifest& manifest);

}  // namespace qav
