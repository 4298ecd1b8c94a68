// The exported text functions of the rule compiler.
#include <cstring>
#include <string>

#include "include/zellib.h"
#include "zel/compiler/dict_text.h"
#include "zel/compiler/zel2xml.h"

namespace {

void CopyOut(const std::string& text, char* out) { memcpy(out, text.c_str(), text.size() + 1); }

}  // namespace

void Convert2GB(const char* input, const char* output) {
    if (input && output) zel::Convert2GB(input, output);
}

bool processJSONSpecialTag(char* text, int size) {
    if (!text || size <= 0) return false;
    const std::string escaped = zel::CZEL2XML::processXMLSpecialTag(std::string(text, strnlen(text, size)));
    if (escaped.size() >= static_cast<size_t>(size)) return false;
    CopyOut(escaped, text);
    return true;
}

void SplitDictInfo(const char* text, char* first, char* second, char* rest) {
    if (!text || !first || !second || !rest) return;
    std::string a, b, c;
    zel::SplitDictInfo(text, a, b, c);
    CopyOut(a, first);
    CopyOut(b, second);
    CopyOut(c, rest);
}

bool ParseDictRuleInfo(const char* text, char* kind, char* name, char* arguments) {
    std::string k, n, a;
    if (!text || !kind || !name || !arguments || !zel::ParseDictRuleInfo(text, k, n, a)) return false;
    CopyOut(k, kind);
    CopyOut(n, name);
    CopyOut(a, arguments);
    return true;
}
