#include "zel/models/crf_template.h"

#include <cstdlib>

namespace zel {

void SplitString(std::string_view text, std::string_view delimiters, std::vector<std::string>& parts) {
    parts.clear();
    size_t pos = 0;
    while (pos < text.size()) {
        size_t begin = text.find_first_not_of(delimiters, pos);
        if (begin == std::string_view::npos) break;
        size_t end = text.find_first_of(delimiters, begin);
        if (end == std::string_view::npos) end = text.size();
        parts.emplace_back(text.substr(begin, end - begin));
        pos = end;
    }
}

std::vector<int> TemplateOffsets(std::string_view body) {
    std::vector<std::string> parts;
    SplitString(body, "/", parts);
    std::vector<int> offsets;
    for (const std::string& part : parts)
        offsets.push_back(part.size() > 3 ? std::atoi(part.c_str() + 3) : 0);
    return offsets;
}

}  // namespace zel
