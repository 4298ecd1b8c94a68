// A hand-made segmentation model with a known answer, as a CRF text model
// (UTF-8): one template, the character itself, and weights that make
// 我 and 中 begin a word, 们 and 人 end one, 华 continue one and 好 stand
// alone, so "我们好中华人" segments as "我们 好 中华人".
#pragma once

#include <string>
#include <vector>

namespace qztest {

// The model with its tags listed in the given order (weights follow them).
inline std::string SmallCrfModelText(const std::vector<std::string>& tagOrder = {"B", "E", "M", "S"}) {
    struct Feature {
        const char* ch;
        const char* tag;
    };
    const Feature features[] = {{"我", "B"}, {"们", "E"}, {"好", "S"}, {"中", "B"}, {"华", "M"}, {"人", "E"}};
    const size_t l = tagOrder.size();
    std::string text = "version: 100\ncost-factor: 1\nmaxid: 40\nxsize: 1\n\n";
    for (const std::string& tag : tagOrder) text += tag + "\n";
    text += "\nU00:%x[0,0]\nB\n\n0 B\n";
    for (size_t k = 0; k < std::size(features); ++k)
        text += std::to_string(l * l + l * k) + " U00:" + features[k].ch + "\n";
    text += "\n";
    for (size_t k = 0; k < l * l; ++k) text += "0\n";
    for (const Feature& f : features)
        for (const std::string& tag : tagOrder) text += tag == f.tag ? "1\n" : "0\n";
    return text;
}

}  // namespace qztest
