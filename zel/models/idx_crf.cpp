#include "zel/models/idx_crf.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "common/platform/byte_codec.h"
#include "common/text/encoding.h"

namespace zel {
namespace {

std::string Utf8ToGbk(std::string_view utf8) {
    std::string in(utf8);
    std::string out(in.size() + 1, '\0');
    int n = utf8_to_gbk(in.c_str(), out.data(), static_cast<int>(out.size()));
    out.resize(n > 0 && static_cast<size_t>(n) < out.size() ? n : 0);
    return out;
}

void AppendShortText(std::string& out, const std::string& text) {
    out.push_back(static_cast<char>(static_cast<uint8_t>(text.size())));
    out += text;
}

}  // namespace

CIdxCRF::CIdxCRF() : features_(kMaxCrfTemplates) {}

bool CIdxCRF::IdxCRF(const std::string& textPath, const std::string& binaryPath) {
    if (!ReadModel(textPath)) return false;
    std::printf("Read Done!\n");
    return Write(binaryPath);
}

bool CIdxCRF::ReadModel(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    static const char* const kSectionDone[] = {"Read m_vTag Done!", "Read FeatureTemplate Done!",
                                               "Read Feature Done!", "Read Weight Done!"};
    int section = 0;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() > kMaxCrfLineBytes) continue;
        if (line.empty()) {
            if (section < 4) std::printf("%s\n", kSectionDone[section]);
            ++section;
            continue;
        }
        ReadLine(section, line);
    }
    std::printf("Read Model Done!\n");
    return true;
}

void CIdxCRF::ReadLine(int section, std::string_view line) {
    switch (section) {
    case 1:
        if (line.size() <= kMaxCrfStringBytes) m_vTag.emplace_back(line);
        break;
    case 2: {
        size_t colon = line.find(':');
        std::string_view body = colon == std::string_view::npos ? "" : line.substr(colon + 1);
        if (colon == std::string_view::npos || body.size() > kMaxCrfStringBytes ||
            template_count() >= kMaxCrfTemplates)
            break;
        template_index_.emplace(std::string(line.substr(0, colon)), template_count());
        bodies_.emplace_back(body);
        break;
    }
    case 3: {
        int id, index;
        std::string value;
        if (SplitLine(line, id, index, value)) features_[index][value] = id;
        break;
    }
    case 4:
        weights_.push_back(static_cast<float>(std::atof(std::string(line).c_str())));
        break;
    default:
        break;  // the header is not interpreted
    }
}

bool CIdxCRF::SplitLine(std::string_view line, int& id, int& templateIndex, std::string& value) const {
    size_t blank = line.find(' ');
    if (blank == std::string_view::npos) return false;
    std::string_view rest = line.substr(blank + 1);
    size_t colon = rest.find(':');
    if (colon == std::string_view::npos) return false;
    auto it = template_index_.find(std::string(rest.substr(0, colon)));
    if (it == template_index_.end()) return false;
    std::string gbk = Utf8ToGbk(rest.substr(colon + 1));
    if (gbk.size() > kMaxCrfStringBytes) return false;
    id = std::atoi(std::string(line.substr(0, blank)).c_str());
    templateIndex = it->second;
    value = std::move(gbk);
    return true;
}

bool CIdxCRF::Write(const std::string& path) const {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    std::string bytes;
    qz::bytes::Append<int32_t>(bytes, template_count());
    for (int t = 0; t < template_count(); ++t) {
        qz::bytes::Append<int32_t>(bytes, static_cast<int32_t>(features_[t].size()));
        for (const auto& [value, id] : features_[t]) {
            AppendShortText(bytes, value);
            qz::bytes::Append<int32_t>(bytes, id);
        }
    }
    std::printf("Write Feature Done!\n");
    qz::bytes::Append<int32_t>(bytes, static_cast<int32_t>(weights_.size()));
    for (float w : weights_) qz::bytes::Append<float>(bytes, w);
    std::printf("Write Weight Done!\n");
    for (const std::string& body : bodies_) AppendShortText(bytes, body);
    std::printf("Write Template Done!\n");
    qz::bytes::Append<int32_t>(bytes, static_cast<int32_t>(m_vTag.size()));
    for (const std::string& tag : m_vTag) AppendShortText(bytes, tag);
    std::printf("Write TagSet Done!\n");
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return !out.fail();
}

}  // namespace zel

int IdxCRF(const char* textModelPath, const char* binaryModelPath) {
    if (textModelPath == nullptr || binaryModelPath == nullptr) return 0;
    zel::CIdxCRF compiler;
    return compiler.IdxCRF(textModelPath, binaryModelPath) ? 1 : 0;
}
