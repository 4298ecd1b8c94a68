// What the counting pass found in each line of a file group, kept in a
// temporary file for the offset pass: the line's number and its words and
// units as the places of their entries in the group's counting tables. The
// offset pass reads the group's lines from here instead of reading and
// cutting the text again and looking every word and unit up by its text; a
// place leads to the merged identifier through an array.
//
// The file is the build's own scratch: native byte order, read back by the
// same build only.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "common/platform/file_handle.h"
#include "qav/index/build/sentence_units.h"

namespace qav {

// One unit occurrence: the place of its unit in the group's unit counting
// table and the record fields the line gave it.
struct StreamedUnit {
    uint32_t place = 0;
    int16_t index = 0;
    uint8_t clause = 0;
    uint8_t span = 0;
};

// One line the offset pass reads.
struct StreamedLine {
    bool has_line_no = false;  // the line has a number before its tab
    int64_t line_no = 0;
    // False when the line's words and units could not be collected (a tree
    // that cannot be read); the line then has neither.
    bool collected = false;
    bool closing_bar = false;                 // "|" follows the words in the data file
    std::vector<uint32_t> words;             // places in the group's word counting table
    std::vector<StreamedUnit> units;
};

class SentenceStreamWriter {
public:
    // False when the file cannot be created.
    bool Open(const std::string& path);
    bool is_open() const { return static_cast<bool>(file_); }
    // Appends a line, with its number when hasLineNo; sentence is null when
    // its units could not be collected, else wordPlaces and unitPlaces give
    // its words' and units' places in order.
    void Add(bool hasLineNo, int64_t lineNo, const SentenceUnits* sentence, const std::vector<uint32_t>& wordPlaces,
             const std::vector<uint32_t>& unitPlaces);
    // Writes what is buffered and closes; false when any write failed.
    bool Close();

private:
    void Put(const void* bytes, size_t size);
    void Flush();

    qz::FileHandle file_;
    std::vector<unsigned char> buffer_;
    bool failed_ = false;
};

class SentenceStreamReader {
public:
    // False when the file cannot be opened.
    bool Open(const std::string& path);
    // The next line into line; false at the end, and when the file is cut
    // short or unreadable (failed() tells).
    bool Next(StreamedLine& line);
    bool failed() const { return failed_; }

private:
    bool Take(void* out, size_t size);

    qz::FileHandle file_;
    std::vector<unsigned char> buffer_;
    size_t at_ = 0;
    size_t end_ = 0;
    bool failed_ = false;
};

}  // namespace qav
