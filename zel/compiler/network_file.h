// The NETWORK file pair: a network file (516-byte header ending in the node
// count, then node records) and its word-list file (the same header ending in
// the word count, then words of a u8 length and their bytes).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zel {

constexpr size_t kNetHeaderTextSize = 512;
constexpr size_t kNetHeaderSize = kNetHeaderTextSize + 4;
// The word index of a node without a word.
constexpr uint32_t kNetNoWord = 0xFFFFFFFFu;

struct NetWordlist {
    struct Node {
        uint32_t type = 0;
        uint32_t word = kNetNoWord;
        uint32_t third = 0;  // carried through unread
        std::vector<uint32_t> next;
        std::vector<uint32_t> values;  // one per successor
    };
    std::vector<Node> nodes;
    std::vector<std::string> words;
};

}  // namespace zel
