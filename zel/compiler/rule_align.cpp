// The aligner: a character filter that puts every rule and sub-rule of a
// pre-passed text on one line, with blanks around brackets and the operator
// block, and drops '/' comments.
#include "zel/compiler/compiler_text.h"
#include "zel/compiler/conv_pub.h"

namespace zel {

namespace {

bool In(char c, std::string_view set) { return set.find(c) != std::string_view::npos; }

// Previous-character value of a two-byte character: neither a blank nor any
// bracket, so that its trail byte never counts as one.
constexpr char kWide = 'H';

}  // namespace

std::string AlignRuleText(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 4);
    char p = ' ';
    bool inComment = false;
    bool inDirective = false;
    int depth = 0;
    for (size_t at = 0; at < text.size();) {
        const size_t step = CharAt(text, at);
        char c = text[at];
        if (inComment) {
            if (c == '\n') inComment = false;
            at += step;
            continue;
        }
        if (step == 2) {
            out.append(text, at, 2);
            p = kWide;
            at += 2;
            continue;
        }
        if (c == '\\') {
            out += c;
            at += 1;
            if (at < text.size()) {
                const size_t next = CharAt(text, at);
                out.append(text, at, next);
                at += next;
            }
            p = 'S';
            continue;
        }
        at += 1;
        if (c == '\t') c = ' ';
        if (c == '/') {
            inComment = true;
            continue;
        }
        if (static_cast<unsigned char>(c) == 0xFF) break;
        if (c == '{') {
            out += " { ";
            while (at < text.size() && text[at] != '}') {
                const size_t inner = CharAt(text, at);
                out.append(text, at, inner);
                at += inner;
            }
            if (at < text.size()) at += 1;
            out += " }";
            out += depth == 0 ? '\n' : ' ';
            continue;
        }
        if (c == '#' && p == ' ') inDirective = true;
        if (c == '\n') {
            if (inDirective) {
                out += '\n';
                p = ' ';
                inDirective = false;
            } else if (p != ' ') {
                out += ' ';
                p = ' ';
            }
            continue;
        }
        if (c == ' ' && In(p, " ()*+?[]{}")) continue;
        if (!In(p, " (*+?") && In(c, "()[]}")) out += ' ';
        out += c;
        if (In(c, "()[]}")) out += ' ';
        if (c == '(' || c == '[') {
            ++depth;
            p = c;
        } else if (c == ')' || c == ']' || c == '}') {
            if (--depth == 0) {
                out += '\n';
                p = ' ';
            }
        } else {
            p = c;
        }
    }
    return out;
}

}  // namespace zel
