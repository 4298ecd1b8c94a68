#include "zel/service/compiler_message_route.h"

#include "zel/compiler/compiler_messages.h"
#include "zel/lattice/error_msg.h"

namespace zel {

namespace {

// The compiler's messages are printed and kept like every other message of
// the library.
void ToMessageLog(const char* text) { _ErrorMsg("%s", text); }

}  // namespace

void RouteCompilerMessages() { SetCompilerMessageSink(ToMessageLog); }

}  // namespace zel
