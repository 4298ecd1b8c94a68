// The loaded document-name transducer: its word array as the builder wrote it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qav {

class FSTIndex {
public:
    // Reads "%s.BYTE" of prefix as u32 words and keeps a 0 word after the
    // last (bytes after the last whole word are ignored); false when the
    // file does not open.
    bool BytesInit(const std::string& prefix);

    std::vector<uint32_t> m_pnBytes;
    uint32_t m_nByteLength = 0;  // words read, without the closing 0
};

}  // namespace qav
