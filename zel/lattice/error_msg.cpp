#include "zel/lattice/error_msg.h"

#include <cstdio>
#include <cstring>
#include <mutex>
#include <vector>

#include "zel/lattice/bounded_text.h"

char g_szMsg[ZEL_ERROR_MSG_SIZE];

namespace zel {

namespace {

char g_szMessageLog[kMessageLogSize];
BoundedText g_messageLog(g_szMessageLog, kMessageLogSize);

constexpr size_t kFormatArea = 102400;

// Lattices of several threads (a batch run's workers) report and clear
// through the same two buffers.
std::mutex g_messagesMutex;

}  // namespace

void ClearErrorMsg() {
    std::lock_guard<std::mutex> lock(g_messagesMutex);
    g_szMsg[0] = '\0';
}

void ErrorMsg(const char* text) {
    if (!text) return;
    std::lock_guard<std::mutex> lock(g_messagesMutex);
    size_t held = strnlen(g_szMsg, kErrorMsgSize - 1);
    if (held > kErrorMsgLimit) return;
    BoundedText(g_szMsg, kErrorMsgSize).Append(text);
    std::printf("%s\n", text);
}

int _ErrorMsg(const char* format, const char* argument) {
    std::vector<char> area(kFormatArea);
    std::snprintf(area.data(), area.size(), format, argument);
    {
        std::lock_guard<std::mutex> lock(g_messagesMutex);
        g_messageLog.Append(area.data());
        g_messageLog.Append("<br/>");
    }
    return std::printf(format, argument);
}

char* MessageLog() { return g_szMessageLog; }

}  // namespace zel
