// How the rule compiler reports: every failure message is kept in the
// compiler's message log and handed to the sink that the service layer may
// install (it passes them on to the library's shared message log, which this
// layer cannot reach), or printed when there is none. Also the two process-wide switches the compiler
// reads.
#pragma once

#include <string>

namespace zel {

// Keep the compiler's intermediate files and dumps in the working folder.
extern bool g_bIsLogOn;
// Print progress while compiling a rule-base list.
extern bool g_showMsg;

using CompilerMessageSink = void (*)(const char* text);
void SetCompilerMessageSink(CompilerMessageSink sink);

// pattern holds at most one "%s", filled with argument.
std::string FormatMessage(const char* pattern, const std::string& argument);
// Appends text to the log and passes it to the sink, or prints it when no
// sink is installed.
void CompilerError(const std::string& text);
void CompilerError(const char* pattern, const std::string& argument);

const std::string& CompilerMessageLog();
void ClearCompilerMessageLog();

// Removes an intermediate file unless g_bIsLogOn asks to keep it.
void RemoveIntermediate(const std::string& path);

}  // namespace zel
