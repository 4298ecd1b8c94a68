#include "qav/service/query/web_info.h"

#include <algorithm>

namespace qav {

bool CWebInfo::WebInfoInit(shttpd_arg_t* request, const char* text, int len) {
    m_request = request;
    if (m_bBuffers) return true;
    m_bBuffers = true;
    m_text.clear();
    m_output.clear();
    if (len <= 0 || !text) return false;
    m_text.assign(text, std::min(static_cast<size_t>(len), kWebTextBytes));
    return true;
}

void CWebInfo::WebInfoExit() {
    std::string().swap(m_text);
    std::string().swap(m_output);
    m_bBuffers = false;
}

}  // namespace qav
