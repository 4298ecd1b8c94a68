// Line-by-line reading of the index's text files with the fixed line sizes
// their formats allow; a longer line arrives in pieces, as several lines.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

class TextLineReader {
public:
    // Opens the file "rb"; lines come in pieces of at most maxBytes - 1 bytes.
    TextLineReader(const std::string& path, size_t maxBytes);
    ~TextLineReader();
    TextLineReader(const TextLineReader&) = delete;
    TextLineReader& operator=(const TextLineReader&) = delete;

    bool ok() const { return file_ != nullptr; }
    // Next line without its final "\n" and then "\r"; false at the end.
    bool Next(std::string& line);

private:
    FILE* file_;
    std::vector<char> buffer_;
};
