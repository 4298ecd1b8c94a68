#include "qav/service/http/show_source.h"

#include <cJSON.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "qav/index/base/config.h"
#include "qav/index/engine/qav_engine.h"
#include "qav/search/rows/source_id.h"
#include "qav/service/query/text_convert.h"

namespace qav {

namespace {

constexpr size_t kMaxWidthChars = 15;
constexpr size_t kMaxIdChars = 31;
constexpr size_t kMaxSourceBytes = 2047;
constexpr size_t kMaxTagBytes = 1023;
// The text stops growing before a word that would take it past these.
constexpr size_t kMaxTextBeforeBytes = 101375;
constexpr size_t kMaxTextAfterBytes = 101887;

struct JsonDeleter {
    void operator()(cJSON* json) const { cJSON_Delete(json); }
};
struct TextDeleter {
    void operator()(char* text) const { cJSON_free(text); }
};

// The words of one data file and how they are written out.
struct WordSource {
    const uint32_t* words;
    uint32_t count;
    const CWordList& list;
    bool english;

    // Appends the word at position unless it would pass limit; false when the
    // word's identifier is not in the list or the text is full.
    bool Append(uint64_t position, std::string& text, size_t limit) const {
        const CWord* word = list.No2Word(words[position]);
        if (!word) return false;
        const size_t size = word->text.size() + (english ? 1 : 0);
        if (text.size() + size > limit) return false;
        text += word->text;
        if (english) text += ' ';
        return true;
    }
};

bool SameFile(uint64_t key, uint32_t file) { return key > 0 && (key >> 32) == file; }

std::string SourceName(const CQAVEngine& engine, uint64_t key, const std::string& name) {
    if (name.empty()) return {};
    uint32_t docIndex = 0;
    uint32_t tagId = 0;
    std::string tag;
    if (engine.m_sentInfo.GetSentInfo(key, docIndex, tagId) &&
        static_cast<int64_t>(tagId) < engine.m_sentInfo.TagCount())
        engine.m_sentInfo.GetSentPosInfo(static_cast<int32_t>(tagId), tag);
    tag.resize(QavGbkPrefixLength(tag, kMaxTagBytes));
    std::string source = tag.empty() ? name : name + "_" + tag;
    source.resize(QavGbkPrefixLength(source, kMaxSourceBytes));
    return source;
}

SourceReply Error(const char* message) { return {false, std::string("{\"error\":\"") + message + "\"}\n"}; }

}  // namespace

int SourceWidth(const char* width) {
    if (!width || !*width || std::strlen(width) > kMaxWidthChars) return kSourceDefaultWidth;
    const int value = std::atoi(width);
    if (value < kSourceMinWidth + 1) return kSourceMinWidth;
    return value > kSourceMaxWidth ? kSourceMaxWidth : value;
}

SourceReply ShowSource(const char* id, const char* width) {
    const int w = SourceWidth(width);
    uint8_t file = 0;
    uint32_t position = 0;
    if (!id || std::strlen(id) > kMaxIdChars || !DecodeSourceId(id, file, position)) return Error("invalid id");
    const CQAVEngine* engine = g_nEngineType == kEngineStructured ? g_pCQAVEngine : nullptr;
    if (!engine || file >= engine->DataFileCount() || position >= engine->m_corpusLength[file] ||
        !engine->m_pWordList)
        return Error("out of range");

    const uint64_t key = (uint64_t{file} << 32) | position;
    std::string name;
    uint64_t first = 0;
    uint64_t last = 0;
    engine->m_orgInfo.GetLimit(key, name, first, last);

    const WordSource words{engine->m_corpus[file].get(), engine->m_corpusLength[file], *engine->m_pWordList,
                           engine->m_config.m_Language == 1};
    const uint64_t span = static_cast<uint64_t>(w);
    std::string text;
    // The words before come all or not at all: none when they would reach
    // back before the start of the document.
    if (position >= span && !(SameFile(first, file) && position - span < (first & 0xFFFFFFFFu))) {
        for (uint64_t p = position - span; p < position; ++p)
            if (!words.Append(p, text, kMaxTextBeforeBytes)) break;
    }
    const size_t offset = text.size();
    words.Append(position, text, SIZE_MAX);
    const uint64_t end = SameFile(last, file) ? (last & 0xFFFFFFFFu) : words.count;
    for (uint64_t p = uint64_t{position} + 1; p <= position + span && p < end && p < words.count; ++p)
        if (!words.Append(p, text, kMaxTextAfterBytes)) break;

    const std::unique_ptr<cJSON, JsonDeleter> json(cJSON_CreateObject());
    const std::string source = QavGbkToUtf8(SourceName(*engine, key, name), SIZE_MAX);
    const std::string utf8Text = QavGbkToUtf8(text, SIZE_MAX);
    if (!json || !cJSON_AddStringToObject(json.get(), "Source", source.c_str()) ||
        !cJSON_AddStringToObject(json.get(), "Text", utf8Text.c_str()) ||
        !cJSON_AddNumberToObject(json.get(), "Offset", static_cast<double>(offset)))
        throw std::bad_alloc();
    const std::unique_ptr<char, TextDeleter> printed(cJSON_PrintUnformatted(json.get()));
    if (!printed) throw std::bad_alloc();
    return {true, printed.get()};
}

}  // namespace qav
