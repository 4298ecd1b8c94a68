#include "text_sentence.h"

namespace zeltest {

TextSentence::TextSentence(const std::string& gbk) {
    for (size_t i = 0; i < gbk.size();) {
        const unsigned char b = static_cast<unsigned char>(gbk[i]);
        if (b >= 0x81 && i + 1 < gbk.size()) {
            texts_.push_back(gbk.substr(i, 2));
            normal_ += gbk.substr(i, 2);
            i += 2;
            continue;
        }
        texts_.push_back(gbk.substr(i, 1));
        normal_ += b == ' ' ? std::string("\xA1\xA1") : std::string{'\xA3', static_cast<char>(b + 0x80)};
        ++i;
    }
}

void TextSentence::AppendWordTags(int first, int last, bool every, std::string& out) const {
    const auto it = tags.find({first, last});
    if (it == tags.end()) return;
    for (const std::string& tag : it->second) {
        out += " " + tag;
        if (!every) break;
    }
}

}  // namespace zeltest
