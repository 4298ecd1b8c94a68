#include "zel/models/bt_chars.h"

namespace zel {

std::string ProcessContextString(const std::string& text) {
    std::string out;
    bool inDigits = false, inPunctuation = false;
    for (size_t i = 0; i + 1 < text.size(); i += 2) {
        const char* c = text.data() + i;
        if (IsBTDigit(c)) {
            if (!inDigits) out += kDigitRunHZ;
            inDigits = true;
            inPunctuation = false;
        } else if (IsBTPunctuation(c)) {
            if (!inPunctuation) out += kSepHZ;
            inPunctuation = true;
            if (!IsBTFullStop(c)) inDigits = false;
        } else {
            out.append(c, 2);
            inDigits = inPunctuation = false;
        }
    }
    return out;
}

std::string ReverseSent(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t end = text.size() & ~static_cast<size_t>(1); end >= 2; end -= 2) out.append(text, end - 2, 2);
    return out;
}

}  // namespace zel
