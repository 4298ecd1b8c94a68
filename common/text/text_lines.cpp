#include "common/text/text_lines.h"

#include <cstring>

TextLineReader::TextLineReader(const std::string& path, size_t maxBytes)
    : file_(fopen(path.c_str(), "rb")), buffer_(maxBytes) {}

TextLineReader::~TextLineReader() {
    if (file_) fclose(file_);
}

bool TextLineReader::Next(std::string& line) {
    if (!file_ || !fgets(buffer_.data(), static_cast<int>(buffer_.size()), file_)) return false;
    size_t length = strlen(buffer_.data());
    if (length > 0 && buffer_[length - 1] == '\n') --length;
    if (length > 0 && buffer_[length - 1] == '\r') --length;
    line.assign(buffer_.data(), length);
    return true;
}
