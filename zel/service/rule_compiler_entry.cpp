// The exported entry of the rule compiler.
#include "include/zellib.h"
#include "zel/compiler/compiler_messages.h"
#include "zel/compiler/rule_base_compiler.h"
#include "zel/lattice/error_msg.h"

namespace {

// The compiler's messages are printed and kept like every other message of
// the library.
void ToMessageLog(const char* text) { zel::_ErrorMsg("%s", text); }

}  // namespace

bool RuleIdx2(const char* source, const char* folder) {
    if (!source || !folder) return false;
    zel::SetCompilerMessageSink(ToMessageLog);
    return zel::RuleIdx2(source, folder);
}
