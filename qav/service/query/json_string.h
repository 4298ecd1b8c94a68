// JSON string literals for answers that are sent as JSON.
#pragma once

#include <string>
#include <string_view>

namespace qav {

// Appends text as a JSON string: quotation marks around it, and the quotation
// mark, the reverse solidus and control characters escaped. Other bytes
// (UTF-8 included) are copied unchanged.
void AppendJsonString(std::string& out, std::string_view text);

// The JSON object {"error":text}.
std::string QavJsonError(std::string_view text);

}  // namespace qav
