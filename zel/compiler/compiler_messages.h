// How the rule compiler reports: every failure message is kept in the
// compiler's message log and handed to the sink that the service layer may
// install (it passes them on to the library's shared message log, which this
// layer cannot reach), or printed when there is none. Also the log switch the compiler reads
// (the progress switch g_showMsg is the library's, in run_switches.h).
#pragma once

#include <string>

#include "zel/rules/format/run_switches.h"

namespace zel {

// Keep the compiler's intermediate files and dumps in the working folder.
extern bool g_bIsLogOn;

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
