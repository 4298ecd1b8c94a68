// The "zel" program's batch modes "-file" and "-files".
#pragma once

namespace zel {

// argv[1] is "-file" or "-files". Too few arguments do nothing (0); a
// failed start from the configuration argv[2] answers -1.
int BatchMode(int argc, char** argv);

}  // namespace zel
