// JSON string literals for answers that are sent as JSON.
#pragma once

#include <string>
#include <string_view>

#include "qav/search/rows/formatted_json.h"  // AppendJsonString

namespace qav {

// The JSON object {"error":text}.
std::string QavJsonError(std::string_view text);

}  // namespace qav
