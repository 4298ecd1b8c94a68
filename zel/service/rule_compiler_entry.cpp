// The exported entry of the rule compiler.
#include "include/zellib.h"
#include "zel/compiler/rule_base_compiler.h"
#include "zel/service/compiler_message_route.h"

bool RuleIdx2(const char* source, const char* folder) {
    if (!source || !folder) return false;
    zel::RouteCompilerMessages();
    return zel::RuleIdx2(source, folder);
}
