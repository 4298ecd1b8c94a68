// The source route of the HTTP service: the document name and the text
// around one sentence position, found by the public source id of a context
// row.
#pragma once

#include <string>

namespace qav {

// Words on each side of the position: default, smallest and largest.
constexpr int kSourceDefaultWidth = 200;
constexpr int kSourceMinWidth = 10;
constexpr int kSourceMaxWidth = 500;

struct SourceReply {
    bool ok = false;  // false: a 400 error
    std::string body;
};

// id and width are the request's "id" and "w" values (null when absent).
// The reply is {"Source":..,"Text":..,"Offset":..} (UTF-8; Offset counts the
// GBK bytes of the text before the word at the position), or the error
// "invalid id" or "out of range".
SourceReply ShowSource(const char* id, const char* width);

// The width a "w" value asks for: the default when it is missing, empty or
// longer than 15 characters, else its leading number held to
// [kSourceMinWidth, kSourceMaxWidth].
int SourceWidth(const char* width);

}  // namespace qav
