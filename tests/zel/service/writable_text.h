// The exported host utilities take texts as char*: tests hand them copies.
#pragma once

#include <string>
#include <vector>

namespace zeltest {

// text with its NUL, in a buffer the callee may write.
inline std::vector<char> Writable(const std::string& text) {
    return std::vector<char>(text.c_str(), text.c_str() + text.size() + 1);
}

}  // namespace zeltest
