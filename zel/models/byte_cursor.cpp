#include "zel/models/byte_cursor.h"

#include <fstream>
#include <iterator>

namespace zel {

bool ReadWholeFile(const std::string& path, std::string* bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

}  // namespace zel
