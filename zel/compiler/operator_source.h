// The operator-library sections of a rule-base list: their snippets are
// collected over the whole list and written once as the binary library.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace zel {

class OperatorSnippets {
public:
    // Adds the snippets of one section: its lines under a header line
    // ".name"; further lines that begin with '.' open further snippets. A
    // later snippet of the same name replaces an earlier one, as loading
    // the library would.
    void AddSection(const std::string& name, const std::vector<std::string>& lines);
    bool empty() const { return snippets_.empty(); }
    std::string Encode() const;

private:
    std::map<std::string, std::string> snippets_;
};

}  // namespace zel
