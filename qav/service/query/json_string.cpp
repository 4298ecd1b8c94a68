#include "qav/service/query/json_string.h"

namespace qav {

std::string QavJsonError(std::string_view text) {
    std::string error = "{\"error\":";
    AppendJsonString(error, text);
    error += '}';
    return error;
}

}  // namespace qav
