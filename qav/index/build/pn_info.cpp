#include "qav/index/build/pn_info.h"

namespace qav {

namespace {
void Keep(std::string& slot, std::string_view text) {
    if (text.size() < CPNInfo::kTextBytes)
        slot.assign(text);
    else
        slot.clear();
}
}  // namespace

CPNInfo::CPNInfo() : previous_word(" "), next_word(" ") {}

void CPNInfo::SetP(std::string_view word, std::string_view tag) {
    Keep(previous_word, word);
    Keep(previous_tag, tag);
}

void CPNInfo::SetN(std::string_view word, std::string_view tag) {
    Keep(next_word, word);
    Keep(next_tag, tag);
}

}  // namespace qav
