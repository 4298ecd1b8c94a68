// The answer writer lays JSON out byte for byte as the cJSON library's
// formatted print does, which is what clients of the answers read.
#include <gtest/gtest.h>

#include <cjson/cJSON.h>

#include <climits>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "qav/search/rows/formatted_json.h"

namespace {

using namespace std::string_literals;

// One document written both ways: the writer straight to text, cJSON as a
// tree printed at the end.
class BothWriters {
public:
    BothWriters() : m_json(m_text) {}

    void BeginObject() {
        m_json.BeginObject();
        Open(cJSON_CreateObject());
    }
    void BeginArray() {
        m_json.BeginArray();
        Open(cJSON_CreateArray());
    }
    void End() {
        if (cJSON_IsObject(m_open.back()))
            m_json.EndObject();
        else
            m_json.EndArray();
        m_open.pop_back();
    }
    void Key(std::string_view name) {
        m_json.Key(name);
        m_key = std::string(name);
    }
    void String(std::string_view text) {
        m_json.String(text);
        Place(cJSON_CreateString(std::string(text).c_str()));
    }
    void Number(int64_t value) {
        m_json.Number(value);
        Place(cJSON_CreateNumber(static_cast<double>(value)));
    }

    const std::string& Written() const { return m_text; }
    std::string Printed() const {
        const std::unique_ptr<char, decltype(&cJSON_free)> text(cJSON_Print(m_root.get()), cJSON_free);
        return text.get();
    }

private:
    void Open(cJSON* item) {
        Place(item);
        m_open.push_back(item);
    }
    // Into the open container, under the last key in an object.
    void Place(cJSON* item) {
        if (m_open.empty()) {
            m_root.reset(item);
        } else if (cJSON_IsObject(m_open.back())) {
            cJSON_AddItemToObject(m_open.back(), m_key.c_str(), item);
        } else {
            cJSON_AddItemToArray(m_open.back(), item);
        }
    }

    std::string m_text;
    qav::FormattedJson m_json;
    std::unique_ptr<cJSON, decltype(&cJSON_Delete)> m_root{nullptr, cJSON_Delete};
    std::vector<cJSON*> m_open;
    std::string m_key;
};

TEST(FormattedJsonTest, AnswerShapesMatchTheLibraryPrint) {
    BothWriters both;
    both.BeginObject();
    both.Key("Type");
    both.String("Freq");
    both.Key("Count");
    both.Number(2);
    both.Key("Freq");
    both.BeginObject();
    both.Key("\xE7\x9A\x84\xE6\x96\x87\xE4\xBB\xB6");  // UTF-8 passes as it is
    both.Number(11547);
    both.Key("");
    both.Number(-3);
    both.End();
    both.Key("Empty object");
    both.BeginObject();
    both.End();
    both.Key("Empty array");
    both.BeginArray();
    both.End();
    both.Key("Context");
    both.BeginArray();
    both.String("line one");
    both.BeginObject();
    both.Key("Source");
    both.String("d1");
    both.Key("Nested");
    both.BeginArray();
    both.Number(1);
    both.BeginObject();
    both.End();
    both.BeginArray();
    both.End();
    both.End();
    both.End();
    both.Number(0);
    both.End();
    both.End();
    EXPECT_EQ(both.Written(), both.Printed());
}

TEST(FormattedJsonTest, EscapesAndNumbersMatchTheLibraryPrint) {
    const std::vector<std::string> texts = {
        "",
        "plain text longer than a word of eight bytes, with no escapes at all",
        "quote \" backslash \\ slash / tab \t newline \n return \r",
        "\b\f\x01\x1F\x7F and \x80\xFF bytes",
        std::string(13, 'a') + "\"" + std::string(7, 'b') + "\x05" + std::string(16, 'c'),
        "cut at a NUL\0 never seen"s,
        "\xE4\xB8\xAD\xE5\x9B\xBD\\\xE4\xB8\xAD",
    };
    const std::vector<int64_t> numbers = {0, 1, -1, INT_MAX, INT_MIN, int64_t{INT_MAX} + 1, int64_t{INT_MIN} - 1,
                                          int64_t{1} << 40, 123456789012345678, -(int64_t{1} << 53) - 1};
    BothWriters both;
    both.BeginObject();
    for (const std::string& text : texts) {
        both.Key(text);
        both.String(text);
    }
    both.Key("numbers");
    both.BeginArray();
    for (int64_t number : numbers) both.Number(number);
    both.End();
    both.End();
    EXPECT_EQ(both.Written(), both.Printed());
}

}  // namespace
