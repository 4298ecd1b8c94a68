#include "zel/compiler/operator_source.h"

#include "zel/rules/format/operator_library.h"

namespace zel {

void OperatorSnippets::AddSection(const std::string& name, const std::vector<std::string>& lines) {
    // The section as a library source: a header line, then its lines.
    std::string source = "." + name + "\n";
    for (const std::string& line : lines) source += line + "\n";
    for (OperatorSnippet& snippet : ParseOperatorSource(source, OperatorMode::kSub))
        snippets_[snippet.name] = std::move(snippet.body);
}

std::string OperatorSnippets::Encode() const {
    std::vector<OperatorSnippet> sorted;
    for (const auto& [name, body] : snippets_) sorted.push_back(OperatorSnippet{name, body});
    return EncodeOperatorLibrary(sorted);
}

}  // namespace zel
