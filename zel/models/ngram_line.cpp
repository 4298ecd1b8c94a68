#include <cstdlib>
#include <vector>

#include "common/text/encoding.h"
#include "zel/models/ngram_builder.h"

namespace zel {
namespace {

// The fields after the n-gram, separated by runs of tabs.
std::vector<std::string> SplitFields(const std::string& text, size_t from) {
    std::vector<std::string> fields;
    size_t pos = from;
    while (pos < text.size()) {
        while (pos < text.size() && text[pos] == '\t') ++pos;
        if (pos >= text.size()) break;
        const size_t end = text.find('\t', pos);
        fields.push_back(text.substr(pos, end == std::string::npos ? std::string::npos : end - pos));
        pos = end == std::string::npos ? text.size() : end;
    }
    return fields;
}

}  // namespace

bool GetLineInfo(const std::string& line, NgramBuildMode mode, NgramLine& out) {
    const size_t skip = mode == NgramBuildMode::Plain ? 3 : 0;
    if (line.size() <= skip) return false;
    const std::string utf8 = line.substr(skip);
    std::vector<char> gbk(utf8.size() + 1);
    const int length = utf8_to_gbk(utf8.c_str(), gbk.data(), static_cast<int>(gbk.size()));
    if (length < 0 || length >= static_cast<int>(gbk.size())) return false;
    const std::string text(gbk.data(), static_cast<size_t>(length));

    const size_t tab = text.find('\t');
    if (tab == std::string::npos || tab == 0 || tab % 2 != 0) return false;
    for (size_t i = 0; i < tab; ++i)
        if (static_cast<unsigned char>(text[i]) < 0x80) return false;
    out.ngram = text.substr(0, tab);

    const std::vector<std::string> fields = SplitFields(text, tab);
    out.probability = fields.size() > 0 ? static_cast<float>(std::atof(fields[0].c_str())) : 0.0f;
    out.count = fields.size() > 1 ? std::atoi(fields[1].c_str()) : (mode == NgramBuildMode::Backoff ? 100 : 0);
    out.backoff = fields.size() > 2 ? static_cast<float>(std::atof(fields[2].c_str())) : 0.0f;
    return true;
}

}  // namespace zel
