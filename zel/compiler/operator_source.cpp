#include "zel/compiler/operator_source.h"

#include "zel/compiler/byte_writer.h"
#include "zel/compiler/compiler_text.h"

namespace zel {

void OperatorSnippets::AddSection(const std::string& name, const std::vector<std::string>& lines) {
    std::string open = name;
    std::string body;
    const auto store = [&] { snippets_[open] = body; };
    for (std::string line : lines) {
        TrimRightBlanks(line);
        if (!line.empty() && line[0] == '.') {
            store();
            open = line.substr(1);
            body.clear();
            continue;
        }
        if (line.empty() || line.find_first_of("()/{}") == 0) continue;
        body += line + "\n";
    }
    store();
}

std::string OperatorSnippets::Encode() const {
    std::string out;
    AppendI32(out, static_cast<int32_t>(snippets_.size()));
    for (const auto& [name, body] : snippets_) {
        AppendText(out, name);
        AppendText(out, body);
    }
    return out;
}

}  // namespace zel
