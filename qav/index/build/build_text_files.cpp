#include "qav/index/build/build_text_files.h"

bool IsListCommentLine(const std::string& line) {
    return line.empty() || line[0] == ' ' || line[0] == '#' || line[0] == '-' || line[0] == '\\';
}

std::string _basename(const std::string& path) {
    size_t separator = path.rfind('\\');
    if (separator == std::string::npos) separator = path.rfind('/');
    return separator == std::string::npos ? path : path.substr(separator + 1);
}
