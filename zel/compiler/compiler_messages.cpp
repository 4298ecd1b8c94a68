#include "zel/compiler/compiler_messages.h"

#include <cstdio>

namespace zel {

bool g_bIsLogOn = false;

namespace {
CompilerMessageSink g_sink = nullptr;
std::string g_log;
}  // namespace

void SetCompilerMessageSink(CompilerMessageSink sink) { g_sink = sink; }

std::string FormatMessage(const char* pattern, const std::string& argument) {
    std::string text(pattern);
    const size_t at = text.find("%s");
    if (at != std::string::npos) text.replace(at, 2, argument);
    return text;
}

void CompilerError(const std::string& text) {
    g_log += text;
    if (g_sink) {
        g_sink(text.c_str());
    } else {
        fputs(text.c_str(), stdout);
    }
}

void CompilerError(const char* pattern, const std::string& argument) {
    CompilerError(FormatMessage(pattern, argument));
}

const std::string& CompilerMessageLog() { return g_log; }
void ClearCompilerMessageLog() { g_log.clear(); }

void RemoveIntermediate(const std::string& path) {
    if (!g_bIsLogOn) std::remove(path.c_str());
}

}  // namespace zel
