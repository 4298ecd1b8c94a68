// Compiler of the segmentation model: reads a CRF text model (header, tags,
// templates, features, weights; sections separated by blank lines) and writes
// the binary model that CCRFModel loads.
//
// Binary model, little-endian; "string" is a u8 length and that many bytes:
//   i32 T; per template: i32 n, n x {string value, i32 id} in ascending byte
//   order of the values; i32 W, W floats; T strings (template bodies);
//   i32 L, L strings (tags in text-model order).
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "common/platform/qz_export.h"

namespace zel {

// A model has at most this many templates.
constexpr int kMaxCrfTemplates = 100;
// Longest line of a text model.
constexpr size_t kMaxCrfLineBytes = 2048;
// Values, bodies and tags are stored with a one-byte length.
constexpr size_t kMaxCrfStringBytes = 255;

class CIdxCRF {
public:
    CIdxCRF();

    bool IdxCRF(const std::string& textPath, const std::string& binaryPath);
    // False when the file cannot be opened.
    bool ReadModel(const std::string& path);
    // False when the file cannot be created or written.
    bool Write(const std::string& path) const;

    // One feature line "id name:value"; false when it has no blank or ":",
    // when the name is not a template, or when the value is too long to store.
    bool SplitLine(std::string_view line, int& id, int& templateIndex, std::string& value) const;

    int template_count() const { return static_cast<int>(bodies_.size()); }
    const std::vector<std::string>& bodies() const { return bodies_; }
    const std::vector<std::string>& tags() const { return m_vTag; }
    const std::vector<float>& weights() const { return weights_; }
    const std::map<std::string, int>& features(int templateIndex) const { return features_[templateIndex]; }

private:
    void ReadLine(int section, std::string_view line);

    std::vector<std::map<std::string, int>> features_;  // per template: value -> id
    std::vector<std::string> bodies_;
    std::map<std::string, int> template_index_;
    std::vector<float> weights_;
    std::vector<std::string> m_vTag;
};

}  // namespace zel

// Compiles a text model into a binary model; 1 on success, 0 when the text
// model cannot be opened or the binary model cannot be written.
QZ_EXPORT int IdxCRF(const char* textModelPath, const char* binaryModelPath);
