// The HTTP request a lattice is serving, as rule actions see it: the server
// puts it in the state's web slot and sends what the actions wrote as the
// answer's body.
#pragma once

#include <cstddef>
#include <string>

namespace zel {

struct ZelWebRequest {
    std::string out;  // the answer's body so far
    // The body never grows past this many bytes: the first line that does
    // not fit, and every line after it, is left out, so a cut answer ends
    // with a whole line.
    size_t limit = static_cast<size_t>(-1);
    bool full = false;  // a line was left out

    // Appends text and its line end when they fit.
    void AddLine(const std::string& text) {
        if (!full && text.size() + 2 <= limit - out.size()) {
            out += text;
            out += "\r\n";
        } else {
            full = true;
        }
    }
};

}  // namespace zel
