// The HTTP request a lattice is serving, as rule actions see it: the server
// puts it in the state's web slot and sends what the actions wrote as the
// answer's body.
#pragma once

#include <string>

namespace zel {

struct ZelWebRequest {
    std::string out;  // the answer's body so far
};

}  // namespace zel
