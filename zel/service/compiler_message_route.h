// Routes the compiler's failure messages into the library's message log, for
// the exported compiler entries (the compiler layer cannot reach that log).
#pragma once

namespace zel {

void RouteCompilerMessages();

}  // namespace zel
