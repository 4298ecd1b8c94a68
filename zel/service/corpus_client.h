// The client of a remote corpus-query service: a query is opened with the
// wanted number of sentences, its result pages are fetched by handle and
// page number, and it is closed again.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace zel {

// A result page's lines are cut to this many bytes.
constexpr size_t kResultLineMax = 511;
// QAV takes result lines of at most this many bytes and skips longer ones.
constexpr size_t kSentenceLineMax = 1024;

// The request URLs; the query is percent-escaped.
std::string OpenQueryUrl(const std::string& base, const std::string& query, int wanted, int id);
std::string PageUrl(const std::string& base, const std::string& handle, int page);
std::string CloseQueryUrl(const std::string& base, const std::string& handle);

// The digits after "\"Handle\"=" (possibly none); false when the key is
// missing.
bool ParseHandle(const char* reply, std::string& handle);
// The lines of a page reply: split at line feeds, each cut to
// kResultLineMax bytes without splitting a character; text after the last
// line feed is dropped.
std::vector<std::string> SplitResultLines(const std::string& reply);

// "^" separates the parts of a job's text; empty parts are skipped.
std::vector<std::string> SplitJobText(const char* text);

}  // namespace zel
